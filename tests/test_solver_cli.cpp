// nudgeboard-solve as a user runs it: the table, one level's keystrokes, and bad arguments.
#include "board.h"
#include "levels/catalogue.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStringList>
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

TEST(SolverCommandLine, HelpExplainsBothOptions) {
    Outcome run = solveCommand({"--help"});
    EXPECT_EQ(run.status, 0);
    EXPECT_TRUE(run.out.contains("--level")) << run.out.toStdString();
    EXPECT_TRUE(run.out.contains("--slides"));
    EXPECT_TRUE(run.err.isEmpty());
}

// Each bad argument: one line on standard error, nothing on standard output, status 2.
TEST(SolverCommandLine, BadArgumentsExitWithStatusTwo) {
    const QStringList cases[] = {
        {"--level", "9"},      {"--level", "0"},
        {"--level", "-3"},     {"--level", "abc"},
        {"--level", "2.5"},    {"--level"},
        {"--colour"},          {"--slides"},
        {"--level", "1", "x"}, {"--level", "1", "--level", "2"},
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
