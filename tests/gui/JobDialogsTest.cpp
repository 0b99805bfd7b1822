#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "common/TestName.h"
#include "GuiTestUtil.h"
#include "jobs/JobTestUtil.h"
#include "gui/jobs/InsertJobDialog.h"
#include "gui/jobs/CaseJobDialog.h"
#include "gui/jobs/CounterJobDialog.h"
#include "gui/jobs/RemoveJobDialog.h"
#include "gui/jobs/ReplaceJobDialog.h"

using namespace brindle;
using brindle::test::child;
using brindle::test::makeJob;

namespace
{

const char* const kPositionRadios[]
    = {"rbBegin", "rbEnd", "rbAfterChar", "rbBeforeString", "rbAfterString", "rbBeforeExt"};

/// The name of the checked position option, or "" when none is checked.
std::string checkedRadio(const QDialog& dialog)
{
    for (const char* name : kPositionRadios) {
        if (child<QRadioButton>(&dialog, name)->isChecked())
            return name;
    }
    return {};
}

QString text(const QDialog& dialog, const char* edit)
{
    return child<QLineEdit>(&dialog, edit)->text();
}

int number(const QDialog& dialog, const char* spin)
{
    return child<QSpinBox>(&dialog, spin)->value();
}

/// Shows the dialog and makes it the active window, so that focus moves as for the user.
void activate(QDialog& dialog)
{
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
}

void focus(QDialog& dialog, const char* name)
{
    auto* widget = child<QWidget>(&dialog, name);
    widget->setFocus(Qt::TabFocusReason);
    QApplication::processEvents();
    ASSERT_TRUE(widget->hasFocus()) << name;
}

// ---- the three position dialogs share one design: one table of loads for each

struct PositionLoadCase {
    const char* label;
    Job job;
    const char* radio; // checked after loadJob
    int number; // edtCharacterNumber
    const char* before; // edtBefore
    const char* after; // edtAfter
};

std::ostream& operator<<(std::ostream& os, const PositionLoadCase& c)
{
    return os << c.label;
}

template <typename Dialog> void checkLoad(const PositionLoadCase& c)
{
    Dialog dialog;
    dialog.loadJob(c.job);
    EXPECT_EQ(checkedRadio(dialog), c.radio);
    EXPECT_EQ(number(dialog, "edtCharacterNumber"), c.number);
    EXPECT_EQ(text(dialog, "edtBefore").toStdString(), c.before);
    EXPECT_EQ(text(dialog, "edtAfter").toStdString(), c.after);
}

class RemoveDialogLoad : public ::testing::TestWithParam<PositionLoadCase>
{
};

TEST_P(RemoveDialogLoad, ShowsTheJob)
{
    checkLoad<RemoveJobDialog>(GetParam());
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(jobs, RemoveDialogLoad, ::testing::Values(
    PositionLoadCase{"Fresh", makeJob(jobRemove), "rbBegin", 1, "", ""},
    PositionLoadCase{"End", makeJob(jobRemove, posEnd, 4), "rbEnd", 1, "", ""},
    PositionLoadCase{"AfterChar", makeJob(jobRemove, posAfterChar, 2, 7), "rbAfterChar", 7, "", ""},
    PositionLoadCase{"AfterCharAboveLimit", makeJob(jobRemove, posAfterChar, 2, 70000), "rbAfterChar", 65535, "", ""},
    PositionLoadCase{"Before", makeJob(jobRemove, posBeforeString, 1, 0, "x", "ignored"), "rbBeforeString", 1, "x", ""},
    PositionLoadCase{"After", makeJob(jobRemove, posAfterString, 1, 0, "x"), "rbAfterString", 1, "", "x"},
    PositionLoadCase{"BeforeExtension", makeJob(jobRemove, posBeforeExt, 2, 7, "x"), "rbBeforeExt", 1, "", ""},
    PositionLoadCase{"UnknownModifier", makeJob(jobRemove, 9, 1, 5, "x"), "", 1, "", ""},
    PositionLoadCase{"OtherKind", makeJob(jobCounter, posEnd, 3), "", 1, "", ""}),
    [](const auto& info) { return std::string(info.param.label); });
// clang-format on

class CounterDialogLoad : public ::testing::TestWithParam<PositionLoadCase>
{
};

TEST_P(CounterDialogLoad, ShowsTheJob)
{
    checkLoad<CounterJobDialog>(GetParam());
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(jobs, CounterDialogLoad, ::testing::Values(
    PositionLoadCase{"Fresh", makeJob(jobCounter), "rbBegin", 1, "", ""},
    PositionLoadCase{"AfterCharUsesInt2", makeJob(jobCounter, posAfterChar, 3, 6), "rbAfterChar", 6, "", ""},
    PositionLoadCase{"AnchorInStr1", makeJob(jobCounter, posAfterString, 3, 0, "x", "y"), "rbAfterString", 1, "", "x"},
    PositionLoadCase{"BeforeExtension", makeJob(jobCounter, posBeforeExt, 3), "rbBeforeExt", 1, "", ""},
    PositionLoadCase{"OtherKind", makeJob(jobRemove, posEnd), "", 1, "", ""}),
    [](const auto& info) { return std::string(info.param.label); });
// clang-format on

class AddDialogLoad : public ::testing::TestWithParam<PositionLoadCase>
{
};

TEST_P(AddDialogLoad, ShowsTheJob)
{
    checkLoad<InsertJobDialog>(GetParam());
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(jobs, AddDialogLoad, ::testing::Values(
    PositionLoadCase{"Fresh", makeJob(jobInsert), "rbBegin", 1, "", ""},
    PositionLoadCase{"AfterCharUsesInt1", makeJob(jobInsert, posAfterChar, 8, 3, "ins"), "rbAfterChar", 8, "", ""},
    PositionLoadCase{"AnchorInStr2", makeJob(jobInsert, posBeforeString, 0, 0, "ins", "x"), "rbBeforeString", 1, "x", ""},
    PositionLoadCase{"BeforeExtension", makeJob(jobInsert, posBeforeExt, 0, 0, "ins"), "rbBeforeExt", 1, "", ""},
    PositionLoadCase{"OtherKind", makeJob(jobRemove, posEnd), "", 1, "", ""}),
    [](const auto& info) { return std::string(info.param.label); });
// clang-format on

TEST(AddDialog, ShowsAndStoresTheTextToInsert)
{
    InsertJobDialog dialog;
    dialog.loadJob(makeJob(jobInsert, posEnd, 0, 0, "abc"));
    EXPECT_EQ(text(dialog, "edtString"), QStringLiteral("abc"));
    child<QLineEdit>(&dialog, "edtString")->setText(QStringLiteral("xyz"));
    child<QRadioButton>(&dialog, "rbAfterString")->setChecked(true);
    child<QLineEdit>(&dialog, "edtAfter")->setText(QStringLiteral("-"));
    Job job = makeJob(jobInsert, posEnd, 0, 0, "abc");
    dialog.storeJob(job);
    EXPECT_EQ(job, makeJob(jobInsert, posAfterString, 0, 0, "xyz", "-"));
}

// ---- storing

TEST(RemoveDialog, NewJobStoresTheBeginningAndOneCharacter)
{
    RemoveJobDialog dialog;
    Job job = Job::create(jobRemove);
    dialog.loadJob(job);
    EXPECT_EQ(number(dialog, "edtCharacterCount"), 1);
    EXPECT_EQ(number(dialog, "edtCharacterNumber"), 1);
    dialog.storeJob(job);
    EXPECT_EQ(job, makeJob(jobRemove, posBegin, 1, 0));
}

TEST(RemoveDialog, StoresOnlyTheFieldsOfTheChosenOption)
{
    RemoveJobDialog dialog;
    Job job = makeJob(jobRemove, posAfterChar, 3, 9, "old");
    dialog.loadJob(job);
    child<QRadioButton>(&dialog, "rbBegin")->setChecked(true);
    dialog.storeJob(job);
    // Int2 and Str1 keep what the job held.
    EXPECT_EQ(job, makeJob(jobRemove, posBegin, 3, 9, "old"));

    child<QRadioButton>(&dialog, "rbBeforeString")->setChecked(true);
    child<QLineEdit>(&dialog, "edtBefore")->setText(QStringLiteral("new"));
    dialog.storeJob(job);
    EXPECT_EQ(job, makeJob(jobRemove, posBeforeString, 3, 9, "new"));
}

TEST(RemoveDialog, NoOptionCheckedKeepsTheModifier)
{
    RemoveJobDialog dialog;
    Job job = makeJob(jobRemove, 9, 2, 5, "x");
    dialog.loadJob(job);
    dialog.storeJob(job);
    EXPECT_EQ(job, makeJob(jobRemove, 9, 2, 5, "x"));
}

TEST(RemoveDialog, NumberFieldsStayWithinOneTo65535)
{
    RemoveJobDialog dialog;
    dialog.loadJob(makeJob(jobRemove, posAfterChar, 0, -4));
    EXPECT_EQ(number(dialog, "edtCharacterCount"), 1);
    EXPECT_EQ(number(dialog, "edtCharacterNumber"), 1);
    activate(dialog);
    auto* count = child<QSpinBox>(&dialog, "edtCharacterCount");
    count->setFocus();
    count->selectAll();
    QTest::keyClicks(count, QStringLiteral("99999"));
    Job job = Job::create(jobRemove);
    dialog.storeJob(job);
    EXPECT_GE(job.int1, 1);
    EXPECT_LE(job.int1, 65535);
    // A field emptied by the user reads as the lower limit.
    count->clear();
    dialog.storeJob(job);
    EXPECT_EQ(job.int1, 1);
}

/// Every number field of the three position dialogs takes a number typed outside its limits
/// whole, and brings it into the limits when the focus leaves the field.
struct NumberFieldCase {
    const char* label;
    std::function<std::unique_ptr<QDialog>()> make;
    const char* field;
    friend void PrintTo(const NumberFieldCase& c, std::ostream* os) { *os << c.label; }
};

class NumberFieldTable : public ::testing::TestWithParam<NumberFieldCase>
{
};

TEST_P(NumberFieldTable, TypedOutsideTheLimitsIsBroughtIntoThemOnLeaving)
{
    const std::unique_ptr<QDialog> dialog = GetParam().make();
    activate(*dialog);
    auto* spin = child<QSpinBox>(dialog.get(), GetParam().field);
    ASSERT_TRUE(spin);
    for (const auto& [typed, shown] : std::vector<std::pair<QString, QString>> {
             {QStringLiteral("99999"), QStringLiteral("65535")},
             {QStringLiteral("65536"), QStringLiteral("65535")},
             {QStringLiteral("0"), QStringLiteral("1")},
             {QStringLiteral("00042"), QStringLiteral("42")},
             {QStringLiteral("65535"), QStringLiteral("65535")},
         }) {
        focus(*dialog, GetParam().field);
        spin->selectAll();
        QTest::keyClicks(spin, typed);
        EXPECT_EQ(spin->text(), typed) << "typing " << typed.toStdString();
        focus(*dialog, "btnCancel");
        EXPECT_EQ(spin->text(), shown) << "after " << typed.toStdString();
        EXPECT_EQ(spin->value(), shown.toInt()) << "after " << typed.toStdString();
    }
}

template <typename Dialog> std::unique_ptr<QDialog> makeDialog()
{
    return std::make_unique<Dialog>();
}

INSTANTIATE_TEST_SUITE_P(Dialogs, NumberFieldTable,
    ::testing::Values(NumberFieldCase {"RemoveCount", makeDialog<RemoveJobDialog>, "edtCharacterCount"},
        NumberFieldCase {"RemoveNumber", makeDialog<RemoveJobDialog>, "edtCharacterNumber"},
        NumberFieldCase {"CounterWidth", makeDialog<CounterJobDialog>, "edtCharacterCount"},
        NumberFieldCase {"CounterNumber", makeDialog<CounterJobDialog>, "edtCharacterNumber"},
        NumberFieldCase {"AddNumber", makeDialog<InsertJobDialog>, "edtCharacterNumber"}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(CounterDialog, StoresWidthPositionAndAnchor)
{
    CounterJobDialog dialog;
    Job job = Job::create(jobCounter);
    dialog.loadJob(job);
    child<QSpinBox>(&dialog, "edtCharacterCount")->setValue(3);
    child<QRadioButton>(&dialog, "rbAfterChar")->setChecked(true);
    child<QSpinBox>(&dialog, "edtCharacterNumber")->setValue(2);
    dialog.storeJob(job);
    EXPECT_EQ(job, makeJob(jobCounter, posAfterChar, 3, 2));
}

// "before the extension" stores modifier 5 and leaves N and the anchor as they were, in all
// three position dialogs.
TEST(PositionDialogs, BeforeTheExtensionStoresModifierFive)
{
    RemoveJobDialog remove;
    Job removeJob = makeJob(jobRemove, posAfterChar, 2, 9, "old");
    remove.loadJob(removeJob);
    child<QRadioButton>(&remove, "rbBeforeExt")->setChecked(true);
    remove.storeJob(removeJob);
    EXPECT_EQ(removeJob, makeJob(jobRemove, posBeforeExt, 2, 9, "old"));

    CounterJobDialog counter;
    Job counterJob = Job::create(jobCounter);
    counter.loadJob(counterJob);
    child<QRadioButton>(&counter, "rbBeforeExt")->setChecked(true);
    counter.storeJob(counterJob);
    EXPECT_EQ(counterJob, makeJob(jobCounter, posBeforeExt, 1));

    InsertJobDialog add;
    Job addJob = makeJob(jobInsert, posBeforeString, 4, 0, "x", "anchor");
    add.loadJob(addJob);
    child<QRadioButton>(&add, "rbBeforeExt")->setChecked(true);
    add.storeJob(addJob);
    EXPECT_EQ(addJob, makeJob(jobInsert, posBeforeExt, 4, 0, "x", "anchor"));

    for (const QDialog* d :
        {static_cast<QDialog*>(&remove), static_cast<QDialog*>(&counter), static_cast<QDialog*>(&add)})
        EXPECT_EQ(child<QRadioButton>(d, "rbBeforeExt")->text(), QStringLiteral("before the extension"));
}

// ---- focus handlers

TEST(PositionDialogFocus, EnteringTheNumberChecksAfterCharacter)
{
    RemoveJobDialog dialog;
    dialog.loadJob(Job::create(jobRemove));
    activate(dialog);
    focus(dialog, "edtCharacterNumber");
    EXPECT_EQ(checkedRadio(dialog), "rbAfterChar");
}

TEST(PositionDialogFocus, AnchorTextMovesBetweenBeforeAndAfter)
{
    // A counter job stored after the string 'x', reopened: clicking into edtBefore copies the
    // anchor and checks before; going back to edtAfter copies it again.
    CounterJobDialog dialog;
    dialog.loadJob(makeJob(jobCounter, posAfterString, 3, 0, "x"));
    EXPECT_EQ(checkedRadio(dialog), "rbAfterString");
    EXPECT_EQ(text(dialog, "edtAfter"), QStringLiteral("x"));
    EXPECT_EQ(text(dialog, "edtBefore"), QStringLiteral(""));
    activate(dialog);
    focus(dialog, "edtBefore");
    EXPECT_EQ(checkedRadio(dialog), "rbBeforeString");
    EXPECT_EQ(text(dialog, "edtBefore"), QStringLiteral("x"));
    child<QLineEdit>(&dialog, "edtBefore")->setText(QStringLiteral("y"));
    focus(dialog, "rbAfterString");
    EXPECT_EQ(checkedRadio(dialog), "rbAfterString");
    EXPECT_EQ(text(dialog, "edtAfter"), QStringLiteral("y"));
}

TEST(PositionDialogFocus, EnteringAnAnchorFromAnotherOptionKeepsItsText)
{
    InsertJobDialog dialog;
    dialog.loadJob(makeJob(jobInsert, posBegin, 0, 0, "t"));
    activate(dialog);
    child<QLineEdit>(&dialog, "edtAfter")->setText(QStringLiteral("keep"));
    focus(dialog, "edtAfter");
    EXPECT_EQ(checkedRadio(dialog), "rbAfterString");
    EXPECT_EQ(text(dialog, "edtAfter"), QStringLiteral("keep"));
}

TEST(PositionDialogFocus, TypingIntoTheNumberStoresIt)
{
    RemoveJobDialog dialog;
    Job job = Job::create(jobRemove);
    dialog.loadJob(job);
    activate(dialog);
    auto* n = child<QSpinBox>(&dialog, "edtCharacterNumber");
    n->setFocus(Qt::MouseFocusReason);
    n->selectAll();
    QTest::keyClicks(n, QStringLiteral("4"));
    dialog.storeJob(job);
    EXPECT_EQ(job, makeJob(jobRemove, posAfterChar, 1, 4));
}

// ---- case and replace

struct CaseCase {
    JobType kind;
    const char* title;
    const char* prompt;
    friend void PrintTo(const CaseCase& c, std::ostream* os) { *os << brindle::test::quoted(c.title); }
};

class CaseDialogTitles : public ::testing::TestWithParam<CaseCase>
{
};

TEST_P(CaseDialogTitles, FollowTheKind)
{
    CaseJobDialog dialog;
    dialog.loadJob(Job::create(GetParam().kind));
    EXPECT_EQ(dialog.windowTitle().toStdString(), GetParam().title);
    EXPECT_EQ(child<QLabel>(&dialog, "lblPrompt")->text().toStdString(), GetParam().prompt);
    EXPECT_TRUE(child<QRadioButton>(&dialog, "rbAll")->isChecked());
}

INSTANTIATE_TEST_SUITE_P(Kinds, CaseDialogTitles,
    ::testing::Values(CaseCase {jobLower, "Conversion to lower case", "Convert to lower case..."},
        CaseCase {jobUpper, "Conversion to UPPER case", "Convert to UPPER case..."},
        CaseCase {jobNormal, "Case Normalisation", "Normalise case of..."}));

TEST(CaseDialog, StoresTheFirstCheckedScope)
{
    CaseJobDialog dialog;
    Job job = makeJob(jobUpper, scopeExtension);
    dialog.loadJob(job);
    EXPECT_TRUE(child<QRadioButton>(&dialog, "rbExtension")->isChecked());
    child<QRadioButton>(&dialog, "rbFilename")->setChecked(true);
    dialog.storeJob(job);
    EXPECT_EQ(job.modifier, scopeFilename);

    Job odd = makeJob(jobLower, 7);
    CaseJobDialog other;
    other.loadJob(odd);
    other.storeJob(odd);
    EXPECT_EQ(odd.modifier, 7);
}

TEST(ReplaceDialog, KeepsTheModeItWasLoadedWith)
{
    ReplaceJobDialog dialog;
    Job job = makeJob(jobReplace, replaceRegex, 1, 0, "a+", "b");
    dialog.loadJob(job);
    EXPECT_TRUE(child<QCheckBox>(&dialog, "chkRegex")->isVisibleTo(&dialog));
    EXPECT_TRUE(child<QPushButton>(&dialog, "btnRegExHelp")->isVisibleTo(&dialog));
    EXPECT_TRUE(child<QCheckBox>(&dialog, "chkRegex")->isChecked());
    EXPECT_TRUE(child<QCheckBox>(&dialog, "chkMatchCase")->isChecked());
    child<QLineEdit>(&dialog, "edtString2")->setText(QStringLiteral("c"));
    dialog.storeJob(job);
    EXPECT_EQ(job, makeJob(jobReplace, replaceRegex, 1, 0, "a+", "c"));
    // The user chooses the mode now.
    child<QCheckBox>(&dialog, "chkRegex")->setChecked(false);
    dialog.storeJob(job);
    EXPECT_EQ(job.modifier, replaceText);
}

// OK with a regular expression that cannot run says why and where, and the dialog stays open;
// literal text is never refused.
TEST(ReplaceDialog, OkWithARegexThatCannotRunSaysWhyAndStaysOpen)
{
    ReplaceJobDialog dialog;
    std::vector<QString> shown;
    dialog.showMessage = [&](QWidget* parent, const QString& text) {
        EXPECT_EQ(parent, &dialog);
        shown.push_back(text);
    };
    dialog.loadJob(Job::create(jobReplace));
    activate(dialog);
    auto* find = child<QLineEdit>(&dialog, "edtString1");
    auto* replace = child<QLineEdit>(&dialog, "edtString2");
    auto* ok = child<QPushButton>(&dialog, "btnOk");
    find->setText(QStringLiteral("(abc"));
    child<QCheckBox>(&dialog, "chkRegex")->setChecked(true);
    ok->click();
    EXPECT_EQ(shown,
        std::vector<QString> {
            QStringLiteral("Invalid regular expression: missing closing parenthesis at offset 4")});
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_NE(dialog.result(), QDialog::Accepted);

    find->setText(QStringLiteral("(abc)"));
    replace->setText(QStringLiteral("$2"));
    ok->click();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[1],
        QStringLiteral("Invalid regular expression: unknown substring at offset 2 of the replacement"));
    EXPECT_TRUE(dialog.isVisible());

    replace->setText(QStringLiteral("\\U$1"));
    ok->click();
    EXPECT_EQ(shown.size(), 2u);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    Job job = Job::create(jobReplace);
    dialog.storeJob(job);
    EXPECT_EQ(job, makeJob(jobReplace, replaceRegex, 0, 0, "(abc)", "\\U$1"));

    ReplaceJobDialog literal;
    literal.showMessage = dialog.showMessage;
    literal.loadJob(makeJob(jobReplace, replaceText, 0, 0, "(abc", "$2"));
    activate(literal);
    child<QPushButton>(&literal, "btnOk")->click();
    EXPECT_EQ(literal.result(), QDialog::Accepted);
    EXPECT_EQ(shown.size(), 2u);
}

TEST(ReplaceDialog, HelpButtonAsksForTheHelpOnRegularExpressions)
{
    ReplaceJobDialog dialog;
    int asked = 0;
    dialog.showRegexHelp = [&] { ++asked; };
    child<QPushButton>(&dialog, "btnRegExHelp")->click();
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(child<QPushButton>(&dialog, "btnRegExHelp")->text(), QStringLiteral("Regular Expression Help"));
    EXPECT_EQ(child<QCheckBox>(&dialog, "chkRegex")->text(), QStringLiteral("Use Regular Expressions"));
}

// "Accented and other letters too" is Int1 of a case job: checked for 1 only, stored as 1 or 0.
TEST(CaseDialog, AllLettersIsInt1)
{
    for (const std::int32_t int1 : {0, 1, 2, -1}) {
        CaseJobDialog dialog;
        Job job = makeJob(jobNormal, scopeFilename, int1);
        dialog.loadJob(job);
        auto* all = child<QCheckBox>(&dialog, "chkAllLetters");
        EXPECT_EQ(all->isChecked(), int1 == 1) << int1;
        EXPECT_EQ(all->text(), QStringLiteral("Accented and other letters too"));
        dialog.storeJob(job);
        EXPECT_EQ(job, makeJob(jobNormal, scopeFilename, int1 == 1 ? 1 : 0)) << int1;
        all->setChecked(!all->isChecked());
        dialog.storeJob(job);
        EXPECT_EQ(job.int1, int1 == 1 ? 0 : 1) << int1;
    }
}

TEST(ReplaceDialog, MatchCaseOnlyForOne)
{
    ReplaceJobDialog dialog;
    Job job = makeJob(jobReplace, replaceText, 2, 0, "a", "b");
    dialog.loadJob(job);
    EXPECT_FALSE(child<QCheckBox>(&dialog, "chkMatchCase")->isChecked());
    dialog.storeJob(job);
    EXPECT_EQ(job, makeJob(jobReplace, replaceText, 0, 0, "a", "b"));
}

TEST(JobDialogs, BytesOfAnUntouchedFieldSurvive)
{
    // Job strings from a file need not be valid in the encoding of file names; a field the
    // user does not change gives back the very bytes it showed.
    const std::string latin1 = "caf\xE9";
    ReplaceJobDialog replace;
    Job job = makeJob(jobReplace, replaceText, 0, 0, latin1, "\xFF");
    replace.loadJob(job);
    replace.storeJob(job);
    EXPECT_EQ(job.str1, latin1);
    EXPECT_EQ(job.str2, "\xFF");

    RemoveJobDialog remove;
    Job removeJob = makeJob(jobRemove, posAfterString, 1, 0, latin1);
    remove.loadJob(removeJob);
    remove.storeJob(removeJob);
    EXPECT_EQ(removeJob.str1, latin1);

    // A changed field takes the new text.
    child<QLineEdit>(&replace, "edtString1")->setText(QStringLiteral("café"));
    replace.storeJob(job);
    EXPECT_EQ(job.str1, "café");
}

TEST(JobDialogs, CaptionsAndTabOrder)
{
    RemoveJobDialog remove;
    CounterJobDialog counter;
    InsertJobDialog add;
    ReplaceJobDialog replace;
    EXPECT_EQ(remove.windowTitle(), QStringLiteral("Remove a number of characters"));
    EXPECT_EQ(counter.windowTitle(), QStringLiteral("File Counter"));
    EXPECT_EQ(add.windowTitle(), QStringLiteral("Insert a string"));
    EXPECT_EQ(replace.windowTitle(), QStringLiteral("String Replacement"));
    EXPECT_EQ(
        child<QRadioButton>(&remove, "rbBegin")->text(), QStringLiteral("from the beginning of filenames"));
    EXPECT_EQ(child<QRadioButton>(&remove, "rbEnd")->text(), QStringLiteral("from the end of filenames"));
    EXPECT_EQ(
        child<QRadioButton>(&counter, "rbBegin")->text(), QStringLiteral("at the beginning of filenames"));
    EXPECT_EQ(child<QRadioButton>(&add, "rbBegin")->text(), QStringLiteral("at the beginning of filenames"));
    EXPECT_EQ(child<QRadioButton>(&add, "rbEnd")->text(), QStringLiteral("at the end of filenames"));
    EXPECT_EQ(child<QLabel>(&counter, "lblPrompt")->text(), QStringLiteral("Insert a numeric string of..."));
    EXPECT_EQ(child<QLabel>(&add, "lblPrompt")->text(), QStringLiteral("Insert this string : "));
    EXPECT_EQ(child<QLabel>(&remove, "lblCharacters")->text(), QStringLiteral("...characters..."));
    EXPECT_EQ(
        child<QCheckBox>(&replace, "chkMatchCase")->text(), QStringLiteral("Match case (case sensitive)"));
    EXPECT_EQ(child<QLabel>(&replace, "lblReplaceWith")->text(), QStringLiteral("And replace it with:"));
    EXPECT_TRUE(child<QPushButton>(&remove, "btnOk")->isDefault());

    // Tab order of the replace dialog: the regular expression controls, OK, Cancel, the case
    // option last.
    activate(replace);
    focus(replace, "edtString1");
    const char* order[] = {"edtString2", "chkRegex", "btnRegExHelp", "btnOk", "btnCancel", "chkMatchCase"};
    for (const char* next : order) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        ASSERT_NE(QApplication::focusWidget(), nullptr);
        EXPECT_EQ(QApplication::focusWidget()->objectName().toStdString(), next);
    }
}

TEST(JobDialogs, EscapeCancels)
{
    CaseJobDialog dialog;
    activate(dialog);
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_FALSE(dialog.isVisible());
}

} // namespace
