// The plain search. A board is its 36 layout characters; a piece is every square of one
// character; a slide moves all of a piece's squares one square, onto the board, into empty
// squares or its own; the goal is every goal square that is not "?" showing its character.
// Under the game's counter a slide of the piece that moved last costs nothing: a 0-1
// breadth-first search, free steps to the front of the queue. Pieces of one shape that the goal
// does not name are interchangeable, so they are lettered in reading order, one board for all
// their orders.
#include "solver/reference.h"
#include "play/arrows.h"

#include <algorithm>
#include <array>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace nudgeboard::solver {

namespace {

using Board = std::array<char, playCells>;

// A board and, under Metric::Moves, the piece that moved last (0 before any move).
struct State {
    Board board;
    char last;
    bool operator==(const State&) const = default;
};

struct StateHash {
    std::size_t operator()(const State& s) const {
        return std::hash<std::string_view>()(std::string_view(s.board.data(), s.board.size())) ^
               static_cast<std::size_t>(s.last);
    }
};

struct Reached {
    int cost;
    State from;
    Step step; // on `from`
};

// The board after the piece `piece` slides one square along `offset`, if it can.
std::optional<Board> slid(const Board& board, char piece, int offset) {
    Board after = board;
    for (int c = 0; c < playCells; ++c)
        if (board[c] == piece)
            after[c] = '*';
    for (int c = 0; c < playCells; ++c) {
        if (board[c] != piece)
            continue;
        int to = neighbour(c, offset);
        if (to < 0 || (board[to] != '*' && board[to] != piece))
            return std::nullopt;
        after[to] = piece;
    }
    return after;
}

bool isGoal(const Board& board, const Board& goal) {
    for (int c = 0; c < playCells; ++c)
        if (goal[c] != '?' && goal[c] != board[c])
            return false;
    return true;
}

bool isFirstSquare(const Board& board, int c) {
    char piece = board[c];
    return piece != '#' && piece != '*' &&
           std::find(board.begin(), board.end(), piece) == board.begin() + c;
}

// The pieces the goal does not name, by shape: each shape's letters, sorted.
std::vector<std::string> interchangeable(const Board& board, const Board& goal) {
    std::map<std::string, std::string> byShape;
    for (int c = 0; c < playCells; ++c) {
        char piece = board[c];
        if (!isFirstSquare(board, c) || std::find(goal.begin(), goal.end(), piece) != goal.end())
            continue;
        std::string shape; // its squares from its first one
        for (int d = c; d < playCells; ++d)
            if (board[d] == piece)
                shape += std::to_string(d - c) + ",";
        byShape[shape] += piece;
    }
    std::vector<std::string> groups;
    for (auto& [shape, letters] : byShape)
        if (letters.size() > 1) {
            std::sort(letters.begin(), letters.end());
            groups.push_back(letters);
        }
    return groups;
}

// The board with each group's pieces lettered in reading order; `moved` as it is lettered now.
Board lettered(Board board, const std::vector<std::string>& groups, char& moved) {
    for (const std::string& letters : groups) {
        std::string order; // the group's pieces in reading order
        for (char square : board)
            if (letters.find(square) != std::string::npos &&
                order.find(square) == std::string::npos)
                order += square;
        std::array<char, 256> to{};
        for (std::size_t i = 0; i < order.size(); ++i)
            to[static_cast<unsigned char>(order[i])] = letters[i];
        for (char& square : board)
            if (char t = to[static_cast<unsigned char>(square)])
                square = t;
        if (char t = to[static_cast<unsigned char>(moved)])
            moved = t;
    }
    return board;
}

Board joined(const Layout& rows) {
    Board board{};
    for (int c = 0; c < playCells; ++c)
        board[c] = rows[rowOf(c)][columnOf(c)];
    return board;
}

// Calls f(piece, cell, arrow, board after) for every legal slide on `board`, each piece once,
// from its first square: the square a player clicks.
template <class F> void forEachSlide(const Board& board, F&& f) {
    for (int c = 0; c < playCells; ++c) {
        if (!isFirstSquare(board, c))
            continue;
        for (const Arrow& arrow : arrows)
            if (std::optional<Board> after = slid(board, board[c], arrow.offset))
                f(board[c], c, arrow, *after);
    }
}

} // namespace

ReferenceAnswer referenceSolve(const Layout& startRows, const Layout& goalRows, Metric metric) {
    Board goal = joined(goalRows);
    Board board = joined(startRows);
    std::vector<std::string> groups = interchangeable(board, goal);
    char none = 0;
    State start{lettered(board, groups, none), 0};
    std::unordered_map<State, Reached, StateHash> reached{{start, {0, start, {}}}};
    std::deque<State> queue{start};
    // The path from the start, each step taken back to the state it came from.
    auto traceBack = [&](const State& goalState) {
        ReferenceAnswer answer{reached.at(goalState).cost, {}};
        for (State at = goalState; !(at == start); at = reached.at(at).from)
            answer.steps.push_back(reached.at(at).step);
        std::reverse(answer.steps.begin(), answer.steps.end());
        return answer;
    };
    while (!queue.empty()) {
        State s = queue.front();
        queue.pop_front();
        int cost = reached.at(s).cost;
        if (isGoal(s.board, goal))
            return traceBack(s);
        forEachSlide(s.board, [&](char piece, int cell, const Arrow& arrow, const Board& after) {
            bool free = metric == Metric::Moves && piece == s.last;
            char moved = piece;
            State next{lettered(after, groups, moved), 0};
            next.last = metric == Metric::Moves ? moved : char{0};
            int nextCost = cost + (free ? 0 : 1);
            auto known = reached.find(next);
            if (known != reached.end() && known->second.cost <= nextCost)
                return;
            reached[next] = {nextCost, s, {cell, arrow.keyCode}};
            if (free)
                queue.push_front(next);
            else
                queue.push_back(next);
        });
    }
    return {};
}

} // namespace nudgeboard::solver
