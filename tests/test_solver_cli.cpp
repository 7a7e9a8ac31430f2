// nudgeboard-solve as a user runs it: the table, one level's keystrokes, and bad arguments.
#include "board.h"
#include "levels/catalogue.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace nudgeboard;

namespace {

struct Outcome {
    int status;
    QString out, err;
};

Outcome solveCommand(const QStringList& arguments) {
    QProcess process;
    process.start(QStringLiteral(NUDGEBOARD_SOLVE), arguments);
    EXPECT_TRUE(process.waitForFinished(20 * 60 * 1000)) << "no exit";
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

QStringList lines(const QString& text) {
    return text.split('\n', Qt::SkipEmptyParts);
}

int keyCode(const QString& name) {
    return name == "Left" ? vkLeft : name == "Up" ? vkUp : name == "Right" ? vkRight : vkDown;
}

} // namespace

// A header and one row per level in menu order: name, par, and the verdict its moves call for.
TEST(SolverCommandLine, TableListsEveryLevel) {
    Outcome run = solveCommand({});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_TRUE(run.err.isEmpty());
    QStringList rows = lines(run.out);
    ASSERT_EQ(rows.size(), 1 + levelCountBuiltIn + 1) << run.out.toStdString();
    EXPECT_TRUE(rows[0].simplified().startsWith("# Level Par Moves Slides Positions Seconds"))
        << rows[0].toStdString();
    QRegularExpression row(R"(^\s*(\d+)  (.+?)\s+(\d+)\s+(\d+)\s+(\d+)\s+(\d+)\s+([\d.]+)  (.+)$)");
    QStringList below;
    for (int level = 1; level <= levelCountBuiltIn; ++level) {
        SCOPED_TRACE(rows[level].toStdString());
        auto m = row.match(rows[level]);
        ASSERT_TRUE(m.hasMatch());
        EXPECT_EQ(m.captured(1).toInt(), level);
        EXPECT_EQ(m.captured(2).toStdString(), Form1::levelName(level));
        int par = m.captured(3).toInt(), moves = m.captured(4).toInt();
        EXPECT_EQ(par, Form1::levelPar(level));
        EXPECT_GT(moves, 0);
        EXPECT_GE(m.captured(5).toInt(), moves); // never fewer slides than counted moves
        EXPECT_GT(m.captured(6).toLongLong(), 0);
        QString verdict = moves < par    ? QString("%1 below par").arg(par - moves)
                          : moves == par ? QString("at par")
                                         : QString("%1 above par").arg(moves - par);
        EXPECT_EQ(m.captured(8), verdict);
        if (moves < par)
            below << QString::number(level);
    }
    EXPECT_EQ(rows.last().startsWith("Solvable in fewer moves than par"), !below.isEmpty());
    for (const QString& level : below)
        EXPECT_TRUE(rows.last().contains(QRegularExpression("\\b" + level + " \\(")));
}

// The printed keystrokes, entered into the core, solve the level with the printed counter texts.
TEST(SolverCommandLine, PrintedSolutionPlaysThroughTheCore) {
    for (const QStringList& arguments :
         {QStringList{"--level", "5"}, QStringList{"--level=6", "--slides"}}) {
        SCOPED_TRACE(arguments.join(' ').toStdString());
        Outcome run = solveCommand(arguments);
        ASSERT_EQ(run.status, 0) << run.err.toStdString();
        int level = arguments.join(' ').contains('5') ? 5 : 6;
        Form1 form;
        form.Show();
        form.mnuL_Click(level);
        QRegularExpression step(
            R"(^\s*\d+\. click row (\d), column (\d); release ([A-Za-z, ]+)\.\s+(Moves: .*)$)");
        int steps = 0;
        for (const QString& line : lines(run.out)) {
            auto m = step.match(line);
            if (!m.hasMatch())
                continue;
            ++steps;
            ASSERT_EQ(form.solved, 0) << "solved early";
            form.Grid_Click(6 * (m.captured(1).toInt() - 1) + m.captured(2).toInt() - 1);
            for (const QString& key : m.captured(3).split(", "))
                form.Form_KeyUp(keyCode(key), 0);
            EXPECT_EQ(form.numMoves.caption, m.captured(4).toStdString());
        }
        EXPECT_GT(steps, 0);
        EXPECT_EQ(form.Nameof.caption, "SOLVED!!");
        EXPECT_TRUE(run.out.endsWith(QString("SOLVED!! %1\n").arg(form.numMoves.caption.c_str())));
    }
}

TEST(SolverCommandLine, HelpExplainsTheOptionsAndVersionIsTheProjects) {
    Outcome run = solveCommand({"--help"});
    EXPECT_EQ(run.status, 0);
    for (const char* option : {"--level", "--slides", "--file", "--level-steps", "--version"})
        EXPECT_TRUE(run.out.contains(option)) << option << " missing in " << run.out.toStdString();
    EXPECT_TRUE(run.err.isEmpty());
    run = solveCommand({"--version"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "nudgeboard-solve " NUDGEBOARD_VERSION "\n");
}

// Each bad argument: one line on standard error, nothing on standard output, status 2.
TEST(SolverCommandLine, BadArgumentsExitWithStatusTwo) {
    const QStringList cases[] = {
        {"--level", "9"},
        {"--level", "0"},
        {"--level", "-3"},
        {"--level", "abc"},
        {"--level", "2.5"},
        {"--level"},
        {"--colour"},
        {"--slides"},
        {"--level", "1", "x"},
        {"--level", "1", "--level", "2"},
        {"--file"},
        {"--level-steps"},
        {"--level", "1", "--file", "level.txt"},
    };
    for (const QStringList& arguments : cases) {
        SCOPED_TRACE(arguments.join(' ').toStdString());
        Outcome run = solveCommand(arguments);
        EXPECT_EQ(run.status, 2);
        EXPECT_TRUE(run.out.isEmpty()) << run.out.toStdString();
        EXPECT_EQ(lines(run.err).size(), 1) << run.err.toStdString();
        EXPECT_TRUE(run.err.startsWith("nudgeboard-solve: ")) << run.err.toStdString();
    }
}

namespace {

// A level in a file's form, with a blank line between the boards and Windows line ends.
QByteArray levelFile(const Level& level) {
    QByteArray text = QByteArray(level.name.data(), static_cast<qsizetype>(level.name.size())) +
                      "\r\n" + QByteArray::number(level.par) + "\r\n";
    for (const Layout* rows : {&level.start, &level.goal}) {
        for (auto row : *rows)
            text += QByteArray(row.data(), 6) + "\r\n";
        text += "\r\n";
    }
    return text;
}

QString written(const QTemporaryDir& dir, const QString& name, const QByteArray& text) {
    QString path = dir.filePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
    return path;
}

} // namespace

// A built-in level written to a file solves as the built-in one: the same table row but for
// its number and time, the same keystrokes.
TEST(SolverCommandLine, LevelFromAFileSolvesLikeTheBuiltIn) {
    QTemporaryDir dir;
    QString path = written(dir, "six.txt", levelFile(catalogue[5]));
    Outcome table = solveCommand({"--file", path});
    ASSERT_EQ(table.status, 0) << table.err.toStdString();
    Outcome builtIn = solveCommand({});
    QStringList rows = lines(table.out), builtInRows = lines(builtIn.out);
    ASSERT_EQ(rows.size(), 3) << table.out.toStdString();
    // All but the number and the seconds.
    auto columns = [](QString row) {
        return row.mid(2).replace(QRegularExpression(R"( \d+\.\d{3}  )"), " ").toStdString();
    };
    EXPECT_EQ(rows[0], builtInRows[0]);
    EXPECT_TRUE(rows[1].startsWith(" -  Small Puzzle #2"));
    EXPECT_EQ(columns(rows[1]), columns(builtInRows[6]));

    Outcome steps = solveCommand({"--file", path, "--level-steps", "--slides"});
    Outcome builtInSteps = solveCommand({"--level", "6", "--slides"});
    ASSERT_EQ(steps.status, 0) << steps.err.toStdString();
    EXPECT_EQ(steps.out.toStdString(),
              builtInSteps.out.replace("Level 6 ", "Level ").toStdString());
}

// Each bad file: one line on standard error naming the file and the line, nothing on standard
// output; status 2, or 1 for a level that is sound but has no solution.
TEST(SolverCommandLine, BadLevelFilesAreRefusedClearly) {
    QTemporaryDir dir;
    const QByteArray good = levelFile(catalogue[4]);
    auto edited = [&](int line, const QByteArray& text) {
        QList<QByteArray> parts = good.split('\n');
        parts[line - 1] = text;
        return parts.join('\n');
    };
    const QByteArray walls = QByteArray("######\n").repeated(5);
    struct Case {
        QByteArray text;
        QString message;
        int status = 2;
    };
    const Case cases[] = {
        {"", ": the file is empty"},
        {good.left(good.indexOf("#A*01#")),
         ":6: start row 4 is missing: the file ends after line 5"},
        {edited(2, "twenty"), ":2: the par \"twenty\" is not a whole number from 1 to 32767"},
        {edited(4, "#22*7"), ":4: start row 2 has 5 characters, not 6"},
        {edited(5, "#A2*j#"), ":5: start row 3 column 5 holds \"j\", which is no layout character"},
        {edited(11, "#0???*"), ":11: goal row 2 column 6 has no wall where the start has one"},
        {edited(5, "#A2*2#"),
         ":5: start row 3 column 5: piece \"2\" is split into separate groups"},
        {edited(13, "#??2?#"),
         ":13: goal row 4 column 4: piece \"2\" does not have its start shape"},
        {edited(7, QByteArray("#4*0\0#", 6)), ":7: byte 0x00 in column 5: this is not a text file"},
        {good + "#?????\n", ":17: unexpected text after the six goal rows"},
        // Two pieces in a corridor cannot change places.
        {"Swap\n5\n12****\n" + walls + "21****\n" + walls,
         ": the level cannot be solved: no sequence of moves reaches the goal", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message.toStdString());
        QString path = written(dir, "level.txt", c.text);
        Outcome run = solveCommand({"--file", path});
        EXPECT_EQ(run.status, c.status);
        EXPECT_TRUE(run.out.isEmpty()) << run.out.toStdString();
        EXPECT_EQ(run.err.toStdString(),
                  ("nudgeboard-solve: " + path + c.message + "\n").toStdString());
    }
    for (const QString& path : {dir.filePath("absent.txt"), dir.path()}) {
        Outcome run = solveCommand({"--file", path});
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(lines(run.err).size(), 1);
        EXPECT_TRUE(run.err.startsWith("nudgeboard-solve: " + path + ": "))
            << run.err.toStdString();
    }
}
