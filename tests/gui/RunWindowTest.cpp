#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <thread>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QTimer>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScrollBar>

#include "RunWindowUtil.h"
#include "core/desktop/SendTo.h"
#include "gui/folders/FileListView.h"
#include "common/RunProcess.h"
#include "jobs/JobTestUtil.h"
#include "gui/run/LogWindow.h"
#include "gui/run/ProgressWindow.h"

using namespace brindle;
using namespace brindle::test;

namespace
{

using Strings = std::vector<std::string>;

class RunWindow : public RunWindowFixture
{
protected:
    QPushButton* progressButton(const char* name) { return child<QPushButton>(progress(), name); }

    /// Lets a window closed with WA_DeleteOnClose go.
    static void deleteClosed()
    {
        QApplication::processEvents();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    /// The run's controls that must be locked while it works.
    std::vector<QWidget*> runControls()
    {
        std::vector<QWidget*> result;
        for (const char* name : {"btnGo", "btnUndo", "lbJobs", "btnLower", "chkUndo", "chkRecurseDirs",
                 "rbNameASC", "edtCounter", "cmbFileMask", "edtExample", "stv", "slv"})
            result.push_back(child<QWidget>(&win(), name));
        return result;
    }

    /// A starting folder the user may not enter: reported, nothing renamed, the run ends.
    void lockedStartingFolderCase()
    {
        m_tree.file("work/Locked/A.TXT");
        startIn("work/Locked");
        lowerCaseJob();
        ASSERT_EQ(::chmod(m_tree.at("work/Locked").c_str(), 0), 0);
        go();
        ::chmod(m_tree.at("work/Locked").c_str(), 0755);
        EXPECT_EQ(m_dialogs.messages,
            std::vector<QString> {
                QString::fromStdString("Cannot change to directory: " + m_tree.at("work/Locked"))});
        EXPECT_EQ(work("Locked"), Strings {"A.TXT"});
        EXPECT_TRUE(progressButton("btnClose")->isVisible());
    }
};

// ---- a real run

TEST_F(RunWindow, EmptyJobListShowsOnlyTheMessage)
{
    m_tree.file("work/A.TXT");
    startIn();
    go();
    EXPECT_EQ(m_dialogs.messages,
        std::vector<QString> {
            QStringLiteral("Nothing to do! Select some jobs from the toolbar buttons first!")});
    EXPECT_EQ(win().progressWindow(), nullptr);
    // No settings saved, nothing renamed.
    EXPECT_FALSE(m_tree.exists("settings/brindle.ini"));
    EXPECT_EQ(work(), Strings {"A.TXT"});
}

// A job list with a regular expression that cannot run: Go says which job and why and starts
// nothing; the sample test leaves the name as that job has it and applies the others.
TEST_F(RunWindow, RegularExpressionThatCannotRunIsSaidAndNothingStarts)
{
    m_tree.file("work/A.TXT");
    startIn();
    loadJobs({makeJob(jobLower), makeJob(jobReplace, replaceRegex, 0, 0, "(abc", "x")});
    go();
    EXPECT_EQ(m_dialogs.messages,
        std::vector<QString> {
            QStringLiteral("Invalid regular expression in job 2: missing closing parenthesis at offset 4")});
    EXPECT_EQ(win().progressWindow(), nullptr);
    EXPECT_FALSE(m_tree.exists("settings/brindle.ini"));
    EXPECT_EQ(work(), Strings {"A.TXT"});

    auto* example = child<QLineEdit>(&win(), "edtExample");
    example->setText(QStringLiteral("(ABC).TXT"));
    click("btnExample");
    EXPECT_EQ(sampleResult(), QStringLiteral("(abc).txt"));
}

// "Numbers in natural order" goes with the other sort options, sorts the run's names by the
// value of their numbers and is kept in the settings.
TEST_F(RunWindow, NaturalOrderSortsTheRunAndIsKept)
{
    for (const char* name : {"work/a10.txt", "work/a9.txt", "work/a100.txt"})
        m_tree.file(name);
    startIn();
    auto* natural = child<QCheckBox>(&win(), "chkNaturalSort");
    EXPECT_EQ(natural->text(), QStringLiteral("Numbers in natural order"));
    // On for a first start.
    EXPECT_TRUE(natural->isChecked());
    check("chkNaturalSort", false);
    check("chkSort", false);
    EXPECT_FALSE(natural->isEnabled());
    check("chkSort", true);
    EXPECT_TRUE(natural->isEnabled());
    check("chkNaturalSort");
    EXPECT_TRUE(win().runOptions().naturalSort);
    loadJobs({makeJob(jobCounter, posBeforeExt, 1)});
    go();
    EXPECT_EQ(work(), (Strings {"a1002.txt", "a101.txt", "a90.txt"}));
    EXPECT_NE(m_tree.read("settings/brindle.ini").find("simulation=0\nnaturalSort=1\n"), std::string::npos);
    restart();
    EXPECT_TRUE(child<QCheckBox>(&win(), "chkNaturalSort")->isChecked());
}

TEST_F(RunWindow, RealRunRenamesWritesUndoFilesAndShowsTheFinalCounts)
{
    m_tree.file("work/IMG_1.JPG");
    m_tree.file("work/IMG_2.JPG");
    m_tree.file("work/Sub/IMG_3.JPG");
    m_tree.file("work/Sub/keep.txt");
    startIn();
    lowerCaseJob();
    check("chkRecurseDirs");
    check("chkUndo");
    go();

    EXPECT_TRUE(m_dialogs.messages.empty());
    EXPECT_TRUE(m_dialogs.questions.empty());
    EXPECT_EQ(work(), (Strings {"Sub", "_brindlewick_undo.txt", "img_1.jpg", "img_2.jpg"}));
    EXPECT_EQ(work("Sub"), (Strings {"_brindlewick_undo.txt", "img_3.jpg", "keep.txt"}));
    EXPECT_EQ(
        m_tree.read("work/_brindlewick_undo.txt"), "img_1.jpg\r\nIMG_1.JPG\r\nimg_2.jpg\r\nIMG_2.JPG\r\n");
    EXPECT_EQ(m_tree.read("work/Sub/_brindlewick_undo.txt"), "img_3.jpg\r\nIMG_3.JPG\r\n");

    // The progress window stays with the final counts and a full gauge.
    ASSERT_NE(progress(), nullptr);
    EXPECT_TRUE(progress()->isVisible());
    EXPECT_FALSE(progress()->running());
    // Renamed of what the run renames: keep.txt keeps its name.
    EXPECT_EQ(progressText("lblFolders"), "0 of 0");
    EXPECT_EQ(progressText("lblFiles"), "3 of 3");
    EXPECT_EQ(progressText("lblErrors"), "0");
    EXPECT_EQ(progressText("lblCurrentItem"), "Sub");
    EXPECT_EQ(gauge(), 100);
    // Close where Cancel was.
    EXPECT_TRUE(progressButton("btnClose")->isVisible());
    EXPECT_FALSE(progressButton("btnCancel")->isVisible());
    EXPECT_EQ(progressButton("btnClose")->pos(), progressButton("btnCancel")->pos());
    // The file list reads the folder again, under the new names.
    EXPECT_TRUE(listShows(QStringLiteral("img_1.jpg")));
    // Cursor and controls are back.
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    for (QWidget* w : runControls())
        EXPECT_TRUE(w->isEnabled()) << w->objectName().toStdString();
}

TEST_F(RunWindow, SettingsAndTheFileMaskAreRecordedAtTheStartOfARun)
{
    m_tree.file("work/A.JPG");
    m_tree.file("work/B.TXT");
    startIn();
    lowerCaseJob();
    check("chkUndo");
    auto* mask = child<QComboBox>(&win(), "cmbFileMask");
    mask->setEditText(QStringLiteral("*.JPG"));
    // Written before anything is renamed, not only at close.
    m_dialogs.onQuestion = [&](const QString&) {
        const std::string ini = m_tree.read("settings/brindle.ini");
        EXPECT_NE(ini.find("undo=1"), std::string::npos) << ini;
        EXPECT_NE(ini.find("confirm=1"), std::string::npos) << ini;
        EXPECT_NE(ini.find("filemask=*.JPG"), std::string::npos) << ini;
    };
    check("chkConfirm");
    m_dialogs.answers = {true};
    go();
    ASSERT_EQ(m_dialogs.questions.size(), 1u);
    EXPECT_EQ(work(), (Strings {"B.TXT", "_brindlewick_undo.txt", "a.jpg"}));
    EXPECT_EQ(mask->findText(QStringLiteral("*.JPG")), 0);
}

TEST_F(RunWindow, ConfirmationAnsweredYesAndNoWhileTheControlsAreLocked)
{
    m_tree.file("work/A.TXT");
    m_tree.file("work/B.TXT");
    m_tree.file("work/c.txt");
    m_tree.file("work/DIR/X.TXT");
    startIn();
    lowerCaseJob();
    check("chkConfirm");
    check("chkRecurseDirs");
    check("chkRenameDirs");
    std::vector<bool> lockedAtQuestion;
    std::vector<bool> busyAtQuestion;
    m_dialogs.onQuestion = [&](const QString&) {
        bool locked = true;
        for (QWidget* w : runControls())
            locked = locked && !w->isEnabled();
        auto* open = win().findChild<QAction*>(QStringLiteral("cmOpenJobList"));
        lockedAtQuestion.push_back(locked && open && !open->isEnabled());
        const QCursor* cursor = QApplication::overrideCursor();
        busyAtQuestion.push_back(cursor && cursor->shape() == Qt::BusyCursor);
        EXPECT_TRUE(progress() && progress()->running() && progressButton("btnCancel")->isVisible());
        // The file list does not read the folder the run is renaming.
        EXPECT_TRUE(child<FileListView>(&win(), "slv")->isSuspended());
    };
    // The folder is declined, A accepted, B declined, then X inside DIR accepted.
    m_dialogs.answers = {false, true, false, true};
    go();

    EXPECT_EQ(m_dialogs.questions,
        (std::vector<QString> {QStringLiteral("Rename directory \"DIR\" to \"dir\"?"),
            QStringLiteral("Rename file \"A.TXT\" to \"a.txt\"?"),
            QStringLiteral("Rename file \"B.TXT\" to \"b.txt\"?"),
            QStringLiteral("Rename file \"X.TXT\" to \"x.txt\"?")}));
    EXPECT_EQ(work(), (Strings {"B.TXT", "DIR", "a.txt", "c.txt"}));
    EXPECT_EQ(work("DIR"), Strings {"x.txt"});
    EXPECT_EQ(lockedAtQuestion, std::vector<bool>(4, true));
    EXPECT_EQ(busyAtQuestion, std::vector<bool>(4, true));
    // The questions belong to the progress window, which stays on top and would hide them.
    for (const QWidget* parent : m_dialogs.questionParents)
        EXPECT_EQ(parent, win().progressWindow());
    // What was declined is not among what the run renames.
    EXPECT_EQ(progressText("lblFolders"), "0 of 0");
    EXPECT_EQ(progressText("lblFiles"), "2 of 2");
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(RunWindow, RenamesThatFailInTheMiddleAreReportedAndTheRunGoesOn)
{
    m_tree.file("work/A.TXT");
    m_tree.file("work/B.TXT");
    m_tree.file("work/b.txt", "other");
    m_tree.file("work/C.TXT");
    m_tree.file("work/D.TXT");
    startIn();
    lowerCaseJob();
    check("chkUndo");
    check("chkConfirm");
    // C.TXT disappears while the run asks about A.TXT.
    m_dialogs.onQuestion = [&](const QString& text) {
        if (text.contains(QStringLiteral("A.TXT")))
            ::unlink(m_tree.at("work/C.TXT").c_str());
    };
    m_dialogs.answers = {true, true, true, true};
    go();

    EXPECT_EQ(m_dialogs.messages,
        (std::vector<QString> {
            QStringLiteral(
                "Cannot rename B.TXT to b.txt: held by b.txt, which stays. Operation will continue"),
            QStringLiteral(
                "Cannot rename C.TXT to c.txt: No such file or directory. Operation will continue")}));
    for (const QWidget* parent : m_dialogs.messageParents)
        EXPECT_EQ(parent, win().progressWindow());
    EXPECT_EQ(work(), (Strings {"B.TXT", "_brindlewick_undo.txt", "a.txt", "b.txt", "d.txt"}));
    EXPECT_EQ(m_tree.read("work/b.txt"), "other");
    EXPECT_EQ(m_tree.read("work/_brindlewick_undo.txt"), "a.txt\r\nA.TXT\r\nd.txt\r\nD.TXT\r\n");
    // Failed renames are not counted as renamed; they are the errors, and part of the total.
    EXPECT_EQ(progressText("lblFiles"), "2 of 4");
    EXPECT_EQ(progressText("lblErrors"), "2");
    EXPECT_EQ(gauge(), 100);
}

const QString kKeepShowingFailures
    = QStringLiteral("More operations have failed. Keep showing a message for each failure?\n"
                     "(No: the rest go only to the log window and to the final count.)");

class ManyFailures : public RunWindow, public ::testing::WithParamInterface<bool>
{
};

TEST_P(ManyFailures, AfterTheThirdTheUserChoosesWhetherToSeeTheRest)
{
    // Five renames fail, each on a name that is taken.
    for (const std::string name : {"A", "B", "C", "D", "E"}) {
        m_tree.file("work/" + name + ".TXT");
        m_tree.file("work/" + std::string(1, static_cast<char>(name[0] - 'A' + 'a')) + ".txt", "taken");
    }
    startIn();
    lowerCaseJob();
    const bool keepShowing = GetParam();
    m_dialogs.answers = {keepShowing};
    go();

    std::vector<QString> shown;
    // Each message names the entry, its wanted name and the reason.
    for (const char* name : {"A", "B", "C", "D", "E"}) {
        const QString lower = QString::fromLatin1(name).toLower() + QStringLiteral(".txt");
        shown.push_back(QStringLiteral("Cannot rename ") + QString::fromLatin1(name)
            + QStringLiteral(".TXT to ") + lower + QStringLiteral(": held by ") + lower
            + QStringLiteral(", which stays. Operation will continue"));
    }
    EXPECT_EQ(m_dialogs.questions, std::vector<QString> {kKeepShowingFailures});
    EXPECT_EQ(progressText("lblErrors"), "5");
    if (keepShowing) {
        EXPECT_EQ(m_dialogs.messages, shown);
        EXPECT_TRUE(win().logWindow()->text().isEmpty());
        EXPECT_FALSE(win().logWindow()->isVisible());
    } else {
        // The rest went to the log window, which is shown at the end.
        EXPECT_EQ(m_dialogs.messages, std::vector<QString>(shown.begin(), shown.begin() + 3));
        EXPECT_EQ(logLines(),
            (Strings {"! Cannot rename D.TXT to d.txt: held by d.txt, which stays",
                "! Cannot rename E.TXT to e.txt: held by e.txt, which stays"}));
        EXPECT_TRUE(win().logWindow()->isVisible());
    }
}

INSTANTIATE_TEST_SUITE_P(Answers, ManyFailures, ::testing::Bool(),
    [](const ::testing::TestParamInfo<bool>& info) { return info.param ? "KeepShowing" : "LogTheRest"; });

TEST_F(RunWindow, StartingFolderThatIsGoneIsReportedAndTheRunEnds)
{
    startIn("work/gone");
    lowerCaseJob();
    check("chkLog");
    ASSERT_EQ(::rmdir(m_tree.at("work/gone").c_str()), 0);
    go();
    EXPECT_EQ(m_dialogs.messages,
        std::vector<QString> {
            QString::fromStdString("Cannot change to directory: " + m_tree.at("work/gone"))});
    EXPECT_EQ(progressText("lblFiles"), "0 of 0");
    EXPECT_EQ(gauge(), 0);
    EXPECT_TRUE(progressButton("btnClose")->isVisible());
    const Strings log = logLines();
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back(), std::string(80, '-'));
    EXPECT_TRUE(child<QWidget>(&win(), "btnGo")->isEnabled());
}

TEST_F(RunWindow, DISABLED_LockedStartingFolderAsAnotherUser)
{
    ASSERT_NE(::geteuid(), 0u) << "run by RunWindow.StartingFolderThatCannotBeEnteredIsReported";
    lockedStartingFolderCase();
}

TEST_F(RunWindow, StartingFolderThatCannotBeEnteredIsReported)
{
    if (::geteuid() != 0) {
        lockedStartingFolderCase();
        return;
    }
    // Root enters every folder: the case runs in this test program as the unprivileged user 65534.
    if (::access("/usr/bin/setpriv", X_OK) != 0)
        GTEST_SKIP() << "setpriv (util-linux) is not installed";
    const ProcessResult r
        = runProcess({"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups",
                         executablePath(), "--gtest_also_run_disabled_tests",
                         "--gtest_filter=RunWindow.DISABLED_LockedStartingFolderAsAnotherUser"},
            {}, {"QT_QPA_PLATFORM=offscreen", "HOME=/tmp"});
    EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
    EXPECT_NE(r.out.find("[  PASSED  ] 1 test"), std::string::npos) << r.out << r.err;
}

// ---- the progress window

TEST_F(RunWindow, ProgressWindowLooksAsDesigned)
{
    m_tree.file("work/A.TXT");
    startIn();
    lowerCaseJob();
    EXPECT_EQ(win().progressWindow(), nullptr);
    go();
    ProgressWindow* p = progress();
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->windowTitle().toStdString(), "Brindlewick v2.02 progress...");
    const Qt::WindowFlags flags = p->windowFlags();
    // A window of the main window, not above every other: the questions of a run belong to it.
    EXPECT_FALSE(flags & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(flags & Qt::CustomizeWindowHint);
    EXPECT_FALSE(
        flags & (Qt::WindowCloseButtonHint | Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    EXPECT_EQ(p->minimumSize(), p->maximumSize());
    EXPECT_GE(p->width(), 335);
    EXPECT_GE(p->height(), 124);
    for (auto [name, text] : {std::pair {"lblFoldersCaption", "Folders renamed:"},
             {"lblFilesCaption", "Files renamed:"}, {"lblErrorsCaption", "Errors:"}}) {
        QLabel* label = child<QLabel>(p, name);
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(label->text().toStdString(), text);
        EXPECT_TRUE(label->font().bold()) << name;
    }
    EXPECT_EQ(progressButton("btnCancel")->text().toStdString(), "&Cancel");
    EXPECT_EQ(progressButton("btnClose")->text().toStdString(), "Close");
    // Centred on the main window.
    const QPoint offset = p->geometry().center() - win().frameGeometry().center();
    EXPECT_LE(std::abs(offset.x()), 2);
    EXPECT_LE(std::abs(offset.y()), 2);
    // The bar is drawn in the palette's highlight.
    auto* bar = child<QProgressBar>(p, "gauProgress");
    ASSERT_EQ(bar->value(), 100);
    const QImage image = bar->grab().toImage();
    EXPECT_EQ(image.pixelColor(image.width() / 2, image.height() / 2), bar->palette().color(QPalette::Highlight));
}

TEST_F(RunWindow, FreshProgressWindowShowsItsInitialTexts)
{
    startIn();
    ProgressWindow fresh(&win());
    for (const char* name : {"lblCurrentItem", "lblFolders", "lblFiles", "lblErrors"})
        EXPECT_EQ(child<QLabel>(&fresh, name)->text().toStdString(), "...") << name;
    EXPECT_EQ(child<QProgressBar>(&fresh, "gauProgress")->value(), 0);
    EXPECT_EQ(child<QProgressBar>(&fresh, "gauProgress")->maximum(), 100);
    fresh.show();
    QApplication::processEvents();
    EXPECT_FALSE(child<QPushButton>(&fresh, "btnClose")->isVisible());
}

TEST_F(RunWindow, ProgressWindowIsReusedWhileOpenAndCannotBeClosedDuringARun)
{
    m_tree.file("work/A.TXT");
    m_tree.file("work/B.TXT");
    startIn();
    lowerCaseJob();
    check("chkConfirm");
    bool stillOpen = false;
    m_dialogs.onQuestion = [&](const QString&) {
        progress()->close();
        QApplication::processEvents();
        stillOpen = progress()->isVisible();
    };
    m_dialogs.answers = {true, true};
    go();
    EXPECT_TRUE(stillOpen);
    QPointer<ProgressWindow> first = win().progressWindow();
    ASSERT_TRUE(first);

    check("chkConfirm", false);
    m_tree.file("work/C.TXT");
    go();
    EXPECT_EQ(win().progressWindow(), first.data());
    EXPECT_EQ(progressText("lblFiles"), "1 of 1");

    // Close destroys it; the next run opens a new one.
    progressButton("btnClose")->click();
    deleteClosed();
    EXPECT_TRUE(first.isNull());
    EXPECT_EQ(win().progressWindow(), nullptr);
    m_tree.file("work/D.TXT");
    go();
    ASSERT_NE(win().progressWindow(), nullptr);
    EXPECT_EQ(progressText("lblFiles"), "1 of 1");
}

TEST_F(RunWindow, CancelStopsTheRunBeforeTheNextEntry)
{
    for (const char* name : {"A.TXT", "B.TXT", "C.TXT", "D.TXT"})
        m_tree.file(std::string("work/") + name);
    startIn();
    lowerCaseJob();
    check("chkConfirm");
    check("chkLog");
    check("chkUndo");
    m_dialogs.onQuestion = [&](const QString&) { progressButton("btnCancel")->click(); };
    m_dialogs.answers = {true, true, true, true};
    go();
    EXPECT_EQ(m_dialogs.questions.size(), 1u);
    EXPECT_EQ(work(), (Strings {"B.TXT", "C.TXT", "D.TXT", "_brindlewick_undo.txt", "a.txt"}));
    EXPECT_EQ(m_tree.read("work/_brindlewick_undo.txt"), "a.txt\r\nA.TXT\r\n");
    EXPECT_EQ(progressText("lblFiles"), "1 of 1");
    EXPECT_TRUE(progressButton("btnClose")->isVisible());
    const Strings log = logLines();
    EXPECT_NE(std::find_if(log.begin(), log.end(),
                  [](const std::string& line) { return line.starts_with("+ Renaming cancelled: "); }),
        log.end());

    // The request does not outlive its run.
    m_dialogs.onQuestion = nullptr;
    check("chkConfirm", false);
    go();
    EXPECT_EQ(work(), (Strings {"_brindlewick_undo.txt", "a.txt", "b.txt", "c.txt", "d.txt"}));
}

TEST_F(RunWindow, ClosingTheMainWindowDuringARunCancelsItAndClosesAfterwards)
{
    m_tree.file("work/A.TXT");
    m_tree.file("work/B.TXT");
    startIn();
    lowerCaseJob();
    check("chkConfirm");
    bool openDuringRun = false;
    m_dialogs.onQuestion = [&](const QString&) {
        win().close();
        openDuringRun = win().isVisible();
    };
    m_dialogs.answers = {true, true};
    go();
    EXPECT_TRUE(openDuringRun);
    EXPECT_EQ(m_dialogs.questions.size(), 1u);
    EXPECT_EQ(work(), (Strings {"B.TXT", "a.txt"}));
    EXPECT_TRUE(waitFor([&] { return !win().isVisible(); }));
    // Closed the usual way: the job list is kept.
    EXPECT_TRUE(m_tree.exists("settings/brindle_job_config.xml"));
}

// ---- the worker

// A run over a folder that is slow to answer: every entry keeps the worker 80 ms, as a
// network mount that hangs would. The window's event loop keeps turning meanwhile.
TEST_F(RunWindow, TheWindowKeepsTurningWhileTheRunWaitsOnASlowFolder)
{
    for (const char* name : {"A.TXT", "B.TXT", "C.TXT", "D.TXT"})
        m_tree.file(std::string("work/") + name);
    std::atomic<int> steps = 0;
    m_runStep = [&] {
        ++steps;
        std::this_thread::sleep_for(std::chrono::milliseconds(80));
    };
    startIn();
    lowerCaseJob();

    QElapsedTimer clock;
    qint64 lastTick = -1;
    qint64 longestGap = 0;
    int ticks = 0;
    QTimer ticker;
    ticker.setInterval(5);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const qint64 now = clock.elapsed();
        if (lastTick >= 0)
            longestGap = std::max(longestGap, now - lastTick);
        lastTick = now;
        ++ticks;
    });
    clock.start();
    ticker.start();
    go();
    ticker.stop();

    EXPECT_EQ(work(), (Strings {"a.txt", "b.txt", "c.txt", "d.txt"}));
    // The run did wait on the folder, while the timer went on ticking.
    ASSERT_GE(steps.load(), 4);
    EXPECT_GE(clock.elapsed(), 4 * 80);
    EXPECT_GE(ticks, 20);
    EXPECT_LT(longestGap, 50) << ticks << " ticks";
    RecordProperty("longestGapMs", static_cast<int>(longestGap));
    EXPECT_EQ(progressText("lblFiles"), "4 of 4");
}

// Cancel is heard between two entries, not only while a question waits.
TEST_F(RunWindow, CancelStopsARunInTheMiddleOfAFolder)
{
    for (char c = 'A'; c <= 'T'; ++c)
        m_tree.file(std::string("work/") + c + ".TXT");
    m_runStep = [] { std::this_thread::sleep_for(std::chrono::milliseconds(30)); };
    startIn();
    lowerCaseJob();
    check("chkUndo");
    check("chkLog");
    QTimer::singleShot(200, &win(), [&] {
        ASSERT_TRUE(win().running());
        progressButton("btnCancel")->click();
    });
    go();

    // Some files renamed, not all, and each of them recorded.
    Strings renamed;
    for (const std::string& name : work()) {
        if (name != "_brindlewick_undo.txt" && name[0] >= 'a' && name[0] <= 't')
            renamed.push_back(name);
    }
    EXPECT_LT(renamed.size(), 20u);
    std::string pairs;
    for (const std::string& name : renamed)
        pairs += name + "\r\n" + static_cast<char>(name[0] - 'a' + 'A') + ".TXT\r\n";
    if (!renamed.empty()) {
        EXPECT_EQ(m_tree.read("work/_brindlewick_undo.txt"), pairs);
    }
    const Strings log = logLines();
    EXPECT_NE(std::find_if(log.begin(), log.end(),
                  [](const std::string& line) { return line.starts_with("+ Renaming cancelled: "); }),
        log.end());
    // The total is the whole folder's plan, made before the first rename.
    EXPECT_EQ(progressText("lblFiles"), std::to_string(renamed.size()) + " of 20");
    EXPECT_TRUE(progressButton("btnClose")->isVisible());
    for (QWidget* w : runControls())
        EXPECT_TRUE(w->isEnabled()) << w->objectName().toStdString();
}

// ---- the log

TEST_F(RunWindow, LogWindowExistsHiddenFromTheStart)
{
    startIn();
    LogWindow* log = win().logWindow();
    ASSERT_NE(log, nullptr);
    EXPECT_FALSE(log->isVisible());
    EXPECT_EQ(log->windowTitle().toStdString(), "Brindlewick Log");
    auto* mem = child<QPlainTextEdit>(log, "memLog");
    ASSERT_NE(mem, nullptr);
    EXPECT_EQ(mem->font().family().toStdString(), "Courier New");
    EXPECT_EQ(mem->lineWrapMode(), QPlainTextEdit::NoWrap);
    EXPECT_EQ(mem->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(mem->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(child<QPushButton>(log, "btnClearLog")->text().toStdString(), "Clear Log");
    EXPECT_EQ(child<QPushButton>(log, "btnOK")->text().toStdString(), "&OK");
    EXPECT_TRUE(child<QPushButton>(log, "btnOK")->isDefault());
    EXPECT_TRUE(log->windowFlags() & Qt::WindowMaximizeButtonHint);

    // View, Log Window shows it even when empty.
    win().findChild<QAction*>(QStringLiteral("cmLogWindow"))->trigger();
    EXPECT_TRUE(log->isVisible());
}

TEST_F(RunWindow, LogOfARunIsIndentedByDepthAndShownAtTheEnd)
{
    m_tree.file("work/IMG_1.JPG", "", localTime(2004, 3, 5, 9, 1));
    m_tree.dir("work/Misc", localTime(2004, 3, 1, 18, 20));
    startIn();
    lowerCaseJob();
    check("chkRecurseDirs");
    check("chkSort", false);
    check("chkLog");
    go();

    const std::string root = m_tree.at("work");
    const Strings log = logLines();
    ASSERT_EQ(log.size(), 13u) << win().logWindow()->text().toStdString();
    EXPECT_TRUE(isStampLine(log[0], "Starting Renaming in " + root)) << log[0];
    EXPECT_EQ(log[1], "> Changing to " + root);
    EXPECT_EQ(log[2], "- Added directory 01/03/2004 18:20 Misc");
    EXPECT_EQ(log[3], "- Added file 05/03/2004 09:01 IMG_1.JPG");
    EXPECT_EQ(log[4], "* Renaming file IMG_1.JPG");
    EXPECT_EQ(log[5], "* New name img_1.jpg");
    EXPECT_EQ(log[6], "+ Recursing Directories...");
    EXPECT_EQ(log[7], "+ Recursing into Misc");
    EXPECT_EQ(log[8], "   > Changing to Misc");
    EXPECT_EQ(log[9], "   + Recursing Directories...");
    EXPECT_EQ(log[10], "");
    EXPECT_TRUE(isStampLine(log[11], "Finished Renaming in " + root)) << log[11];
    EXPECT_EQ(log[12], std::string(80, '-'));
    EXPECT_TRUE(win().logWindow()->isVisible());

    // A second run adds its own trace below the first (the name is already as the job makes it).
    go();
    const Strings twice = logLines();
    ASSERT_EQ(twice.size(), 25u);
    EXPECT_EQ(twice[12], std::string(80, '-'));
    EXPECT_EQ(twice[24], std::string(80, '-'));
    EXPECT_TRUE(isStampLine(twice[13], "Starting Renaming in " + root)) << twice[13];

    // OK hides and keeps the text; Clear Log empties it.
    child<QPushButton>(win().logWindow(), "btnOK")->click();
    EXPECT_FALSE(win().logWindow()->isVisible());
    EXPECT_EQ(logLines().size(), 25u);
    win().findChild<QAction*>(QStringLiteral("cmLogWindow"))->trigger();
    EXPECT_TRUE(win().logWindow()->isVisible());
    child<QPushButton>(win().logWindow(), "btnClearLog")->click();
    EXPECT_TRUE(win().logWindow()->text().isEmpty());
}

TEST_F(RunWindow, WithoutLogNothingIsLoggedAndTheLogStaysHidden)
{
    m_tree.file("work/A.TXT");
    startIn();
    lowerCaseJob();
    go();
    EXPECT_TRUE(win().logWindow()->text().isEmpty());
    EXPECT_FALSE(win().logWindow()->isVisible());
    EXPECT_EQ(work(), Strings {"a.txt"});
}

} // namespace
