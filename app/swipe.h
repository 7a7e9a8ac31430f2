// Which fingers on the client area are a tap and which a stroke of an arrow key, whatever page or
// toolkit delivers them: the front end forwards the points, this decides.
#pragma once

namespace nudgeboard {

// What one finger did between touching and lifting, in device pixels of the client area.
struct Gesture {
    enum class Kind { None, Tap, Swipe };
    Kind kind = Kind::None;
    int key = 0; // a swipe's arrow key
    // A tap's points, where the finger touched and where it lifted: a click if both hit one cell.
    int startX = 0;
    int startY = 0;
    int endX = 0;
    int endY = 0;
};

// The arrow key that a finger moved from (x0, y0) to (x1, y1) strokes at `dpi`, or 0 for none. A
// swipe starts on the play board and moves at least half a cell pitch, at least twice as far
// along one axis as along the other.
int swipeKey(int x0, int y0, int x1, int y1, int dpi);

// The fingers on the client area, one gesture at a time: a finger from touching to lifting. A
// finger that moved less than a swipe needs is a tap. A second finger spoils the gesture, and
// nothing counts until every finger is off.
class Fingers {
public:
    void down(int x, int y);
    Gesture up(int x, int y, int dpi);
    // The browser took a finger back (a gesture of its own): it ends nothing.
    void lost();
    // The fingers down now make no gesture (their touch closed a menu, say).
    void spoil() { spoilt_ = count_ > 0; }
    int count() const { return count_; }

private:
    int count_ = 0;
    bool spoilt_ = false;
    int x_ = 0;
    int y_ = 0;
};

} // namespace nudgeboard
