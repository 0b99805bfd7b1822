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
#include "jobs/UfrmAddDetails.h"
#include "jobs/UfrmCaseDetails.h"
#include "jobs/UfrmCounterDetails.h"
#include "jobs/UfrmRemoveDetails.h"
#include "jobs/UfrmReplaceDetails.h"

using namespace brindle;
using brindle::test::Child;
using brindle::test::MakeJob;

namespace
{

const char* const kPositionRadios[]
    = {"rbBegin", "rbEnd", "rbAfterChar", "rbBeforeString", "rbAfterString", "rbBeforeExt"};

/// The name of the checked position option, or "" when none is checked.
std::string checkedRadio(const QDialog& dialog)
{
    for (const char* name : kPositionRadios) {
        if (Child<QRadioButton>(&dialog, name)->isChecked())
            return name;
    }
    return {};
}

QString text(const QDialog& dialog, const char* edit)
{
    return Child<QLineEdit>(&dialog, edit)->text();
}

int number(const QDialog& dialog, const char* spin)
{
    return Child<QSpinBox>(&dialog, spin)->value();
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
    auto* widget = Child<QWidget>(&dialog, name);
    widget->setFocus(Qt::TabFocusReason);
    QApplication::processEvents();
    ASSERT_TRUE(widget->hasFocus()) << name;
}

// ---- the three position dialogs share one design: one table of loads for each

struct PositionLoadCase {
    const char* label;
    TJob job;
    const char* radio; // checked after LoadJob
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
    dialog.LoadJob(c.job);
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
    checkLoad<TfrmRemoveDetails>(GetParam());
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Jobs, RemoveDialogLoad, ::testing::Values(
    PositionLoadCase{"Fresh", MakeJob(jobRemove), "rbBegin", 1, "", ""},
    PositionLoadCase{"End", MakeJob(jobRemove, posEnd, 4), "rbEnd", 1, "", ""},
    PositionLoadCase{"AfterChar", MakeJob(jobRemove, posAfterChar, 2, 7), "rbAfterChar", 7, "", ""},
    PositionLoadCase{"AfterCharAboveLimit", MakeJob(jobRemove, posAfterChar, 2, 70000), "rbAfterChar", 65535, "", ""},
    PositionLoadCase{"Before", MakeJob(jobRemove, posBeforeString, 1, 0, "x", "ignored"), "rbBeforeString", 1, "x", ""},
    PositionLoadCase{"After", MakeJob(jobRemove, posAfterString, 1, 0, "x"), "rbAfterString", 1, "", "x"},
    PositionLoadCase{"BeforeExtension", MakeJob(jobRemove, posBeforeExt, 2, 7, "x"), "rbBeforeExt", 1, "", ""},
    PositionLoadCase{"UnknownModifier", MakeJob(jobRemove, 9, 1, 5, "x"), "", 1, "", ""},
    PositionLoadCase{"OtherKind", MakeJob(jobCounter, posEnd, 3), "", 1, "", ""}),
    [](const auto& info) { return std::string(info.param.label); });
// clang-format on

class CounterDialogLoad : public ::testing::TestWithParam<PositionLoadCase>
{
};

TEST_P(CounterDialogLoad, ShowsTheJob)
{
    checkLoad<TfrmCounterDetails>(GetParam());
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Jobs, CounterDialogLoad, ::testing::Values(
    PositionLoadCase{"Fresh", MakeJob(jobCounter), "rbBegin", 1, "", ""},
    PositionLoadCase{"AfterCharUsesInt2", MakeJob(jobCounter, posAfterChar, 3, 6), "rbAfterChar", 6, "", ""},
    PositionLoadCase{"AnchorInStr1", MakeJob(jobCounter, posAfterString, 3, 0, "x", "y"), "rbAfterString", 1, "", "x"},
    PositionLoadCase{"BeforeExtension", MakeJob(jobCounter, posBeforeExt, 3), "rbBeforeExt", 1, "", ""},
    PositionLoadCase{"OtherKind", MakeJob(jobRemove, posEnd), "", 1, "", ""}),
    [](const auto& info) { return std::string(info.param.label); });
// clang-format on

class AddDialogLoad : public ::testing::TestWithParam<PositionLoadCase>
{
};

TEST_P(AddDialogLoad, ShowsTheJob)
{
    checkLoad<TfrmAddDetails>(GetParam());
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Jobs, AddDialogLoad, ::testing::Values(
    PositionLoadCase{"Fresh", MakeJob(jobInsert), "rbBegin", 1, "", ""},
    PositionLoadCase{"AfterCharUsesInt1", MakeJob(jobInsert, posAfterChar, 8, 3, "ins"), "rbAfterChar", 8, "", ""},
    PositionLoadCase{"AnchorInStr2", MakeJob(jobInsert, posBeforeString, 0, 0, "ins", "x"), "rbBeforeString", 1, "x", ""},
    PositionLoadCase{"BeforeExtension", MakeJob(jobInsert, posBeforeExt, 0, 0, "ins"), "rbBeforeExt", 1, "", ""},
    PositionLoadCase{"OtherKind", MakeJob(jobRemove, posEnd), "", 1, "", ""}),
    [](const auto& info) { return std::string(info.param.label); });
// clang-format on

TEST(AddDialog, ShowsAndStoresTheTextToInsert)
{
    TfrmAddDetails dialog;
    dialog.LoadJob(MakeJob(jobInsert, posEnd, 0, 0, "abc"));
    EXPECT_EQ(text(dialog, "edtString"), QStringLiteral("abc"));
    Child<QLineEdit>(&dialog, "edtString")->setText(QStringLiteral("xyz"));
    Child<QRadioButton>(&dialog, "rbAfterString")->setChecked(true);
    Child<QLineEdit>(&dialog, "edtAfter")->setText(QStringLiteral("-"));
    TJob job = MakeJob(jobInsert, posEnd, 0, 0, "abc");
    dialog.StoreJob(job);
    EXPECT_EQ(job, MakeJob(jobInsert, posAfterString, 0, 0, "xyz", "-"));
}

// ---- storing

TEST(RemoveDialog, NewJobStoresTheBeginningAndOneCharacter)
{
    TfrmRemoveDetails dialog;
    TJob job = TJob::Create(jobRemove);
    dialog.LoadJob(job);
    EXPECT_EQ(number(dialog, "edtCharacterCount"), 1);
    EXPECT_EQ(number(dialog, "edtCharacterNumber"), 1);
    dialog.StoreJob(job);
    EXPECT_EQ(job, MakeJob(jobRemove, posBegin, 1, 0));
}

TEST(RemoveDialog, StoresOnlyTheFieldsOfTheChosenOption)
{
    TfrmRemoveDetails dialog;
    TJob job = MakeJob(jobRemove, posAfterChar, 3, 9, "old");
    dialog.LoadJob(job);
    Child<QRadioButton>(&dialog, "rbBegin")->setChecked(true);
    dialog.StoreJob(job);
    // Int2 and Str1 keep what the job held.
    EXPECT_EQ(job, MakeJob(jobRemove, posBegin, 3, 9, "old"));

    Child<QRadioButton>(&dialog, "rbBeforeString")->setChecked(true);
    Child<QLineEdit>(&dialog, "edtBefore")->setText(QStringLiteral("new"));
    dialog.StoreJob(job);
    EXPECT_EQ(job, MakeJob(jobRemove, posBeforeString, 3, 9, "new"));
}

TEST(RemoveDialog, NoOptionCheckedKeepsTheModifier)
{
    TfrmRemoveDetails dialog;
    TJob job = MakeJob(jobRemove, 9, 2, 5, "x");
    dialog.LoadJob(job);
    dialog.StoreJob(job);
    EXPECT_EQ(job, MakeJob(jobRemove, 9, 2, 5, "x"));
}

TEST(RemoveDialog, NumberFieldsStayWithinOneTo65535)
{
    TfrmRemoveDetails dialog;
    dialog.LoadJob(MakeJob(jobRemove, posAfterChar, 0, -4));
    EXPECT_EQ(number(dialog, "edtCharacterCount"), 1);
    EXPECT_EQ(number(dialog, "edtCharacterNumber"), 1);
    activate(dialog);
    auto* count = Child<QSpinBox>(&dialog, "edtCharacterCount");
    count->setFocus();
    count->selectAll();
    QTest::keyClicks(count, QStringLiteral("99999"));
    TJob job = TJob::Create(jobRemove);
    dialog.StoreJob(job);
    EXPECT_GE(job.Int1, 1);
    EXPECT_LE(job.Int1, 65535);
    // A field emptied by the user reads as the lower limit.
    count->clear();
    dialog.StoreJob(job);
    EXPECT_EQ(job.Int1, 1);
}

/// Every number field of the three position dialogs takes a number typed outside its limits
/// whole, and brings it into the limits when the focus leaves the field.
struct NumberFieldCase {
    const char* label;
    std::function<std::unique_ptr<QDialog>()> make;
    const char* field;
    friend void PrintTo(const NumberFieldCase& c, std::ostream* os) { *os << c.label; }
};

class NumberField : public ::testing::TestWithParam<NumberFieldCase>
{
};

TEST_P(NumberField, TypedOutsideTheLimitsIsBroughtIntoThemOnLeaving)
{
    const std::unique_ptr<QDialog> dialog = GetParam().make();
    activate(*dialog);
    auto* spin = Child<QSpinBox>(dialog.get(), GetParam().field);
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

INSTANTIATE_TEST_SUITE_P(Dialogs, NumberField,
    ::testing::Values(NumberFieldCase {"RemoveCount", makeDialog<TfrmRemoveDetails>, "edtCharacterCount"},
        NumberFieldCase {"RemoveNumber", makeDialog<TfrmRemoveDetails>, "edtCharacterNumber"},
        NumberFieldCase {"CounterWidth", makeDialog<TfrmCounterDetails>, "edtCharacterCount"},
        NumberFieldCase {"CounterNumber", makeDialog<TfrmCounterDetails>, "edtCharacterNumber"},
        NumberFieldCase {"AddNumber", makeDialog<TfrmAddDetails>, "edtCharacterNumber"}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(CounterDialog, StoresWidthPositionAndAnchor)
{
    TfrmCounterDetails dialog;
    TJob job = TJob::Create(jobCounter);
    dialog.LoadJob(job);
    Child<QSpinBox>(&dialog, "edtCharacterCount")->setValue(3);
    Child<QRadioButton>(&dialog, "rbAfterChar")->setChecked(true);
    Child<QSpinBox>(&dialog, "edtCharacterNumber")->setValue(2);
    dialog.StoreJob(job);
    EXPECT_EQ(job, MakeJob(jobCounter, posAfterChar, 3, 2));
}

// "before the extension" stores modifier 5 and leaves N and the anchor as they were, in all
// three position dialogs.
TEST(PositionDialogs, BeforeTheExtensionStoresModifierFive)
{
    TfrmRemoveDetails remove;
    TJob removeJob = MakeJob(jobRemove, posAfterChar, 2, 9, "old");
    remove.LoadJob(removeJob);
    Child<QRadioButton>(&remove, "rbBeforeExt")->setChecked(true);
    remove.StoreJob(removeJob);
    EXPECT_EQ(removeJob, MakeJob(jobRemove, posBeforeExt, 2, 9, "old"));

    TfrmCounterDetails counter;
    TJob counterJob = TJob::Create(jobCounter);
    counter.LoadJob(counterJob);
    Child<QRadioButton>(&counter, "rbBeforeExt")->setChecked(true);
    counter.StoreJob(counterJob);
    EXPECT_EQ(counterJob, MakeJob(jobCounter, posBeforeExt, 1));

    TfrmAddDetails add;
    TJob addJob = MakeJob(jobInsert, posBeforeString, 4, 0, "x", "anchor");
    add.LoadJob(addJob);
    Child<QRadioButton>(&add, "rbBeforeExt")->setChecked(true);
    add.StoreJob(addJob);
    EXPECT_EQ(addJob, MakeJob(jobInsert, posBeforeExt, 4, 0, "x", "anchor"));

    for (const QDialog* d :
        {static_cast<QDialog*>(&remove), static_cast<QDialog*>(&counter), static_cast<QDialog*>(&add)})
        EXPECT_EQ(Child<QRadioButton>(d, "rbBeforeExt")->text(), QStringLiteral("before the extension"));
}

// ---- focus handlers

TEST(PositionDialogFocus, EnteringTheNumberChecksAfterCharacter)
{
    TfrmRemoveDetails dialog;
    dialog.LoadJob(TJob::Create(jobRemove));
    activate(dialog);
    focus(dialog, "edtCharacterNumber");
    EXPECT_EQ(checkedRadio(dialog), "rbAfterChar");
}

TEST(PositionDialogFocus, AnchorTextMovesBetweenBeforeAndAfter)
{
    // A counter job stored after the string 'x', reopened: clicking into edtBefore copies the
    // anchor and checks before; going back to edtAfter copies it again.
    TfrmCounterDetails dialog;
    dialog.LoadJob(MakeJob(jobCounter, posAfterString, 3, 0, "x"));
    EXPECT_EQ(checkedRadio(dialog), "rbAfterString");
    EXPECT_EQ(text(dialog, "edtAfter"), QStringLiteral("x"));
    EXPECT_EQ(text(dialog, "edtBefore"), QStringLiteral(""));
    activate(dialog);
    focus(dialog, "edtBefore");
    EXPECT_EQ(checkedRadio(dialog), "rbBeforeString");
    EXPECT_EQ(text(dialog, "edtBefore"), QStringLiteral("x"));
    Child<QLineEdit>(&dialog, "edtBefore")->setText(QStringLiteral("y"));
    focus(dialog, "rbAfterString");
    EXPECT_EQ(checkedRadio(dialog), "rbAfterString");
    EXPECT_EQ(text(dialog, "edtAfter"), QStringLiteral("y"));
}

TEST(PositionDialogFocus, EnteringAnAnchorFromAnotherOptionKeepsItsText)
{
    TfrmAddDetails dialog;
    dialog.LoadJob(MakeJob(jobInsert, posBegin, 0, 0, "t"));
    activate(dialog);
    Child<QLineEdit>(&dialog, "edtAfter")->setText(QStringLiteral("keep"));
    focus(dialog, "edtAfter");
    EXPECT_EQ(checkedRadio(dialog), "rbAfterString");
    EXPECT_EQ(text(dialog, "edtAfter"), QStringLiteral("keep"));
}

TEST(PositionDialogFocus, TypingIntoTheNumberStoresIt)
{
    TfrmRemoveDetails dialog;
    TJob job = TJob::Create(jobRemove);
    dialog.LoadJob(job);
    activate(dialog);
    auto* n = Child<QSpinBox>(&dialog, "edtCharacterNumber");
    n->setFocus(Qt::MouseFocusReason);
    n->selectAll();
    QTest::keyClicks(n, QStringLiteral("4"));
    dialog.StoreJob(job);
    EXPECT_EQ(job, MakeJob(jobRemove, posAfterChar, 1, 4));
}

// ---- case and replace

struct CaseCase {
    TJobType kind;
    const char* title;
    const char* prompt;
    friend void PrintTo(const CaseCase& c, std::ostream* os) { *os << brindle::test::Quoted(c.title); }
};

class CaseDialogTitles : public ::testing::TestWithParam<CaseCase>
{
};

TEST_P(CaseDialogTitles, FollowTheKind)
{
    TfrmCaseDetails dialog;
    dialog.LoadJob(TJob::Create(GetParam().kind));
    EXPECT_EQ(dialog.windowTitle().toStdString(), GetParam().title);
    EXPECT_EQ(Child<QLabel>(&dialog, "lblPrompt")->text().toStdString(), GetParam().prompt);
    EXPECT_TRUE(Child<QRadioButton>(&dialog, "rbAll")->isChecked());
}

INSTANTIATE_TEST_SUITE_P(Kinds, CaseDialogTitles,
    ::testing::Values(CaseCase {jobLower, "Conversion to lower case", "Convert to lower case..."},
        CaseCase {jobUpper, "Conversion to UPPER case", "Convert to UPPER case..."},
        CaseCase {jobNormal, "Case Normalisation", "Normalise case of..."}));

TEST(CaseDialog, StoresTheFirstCheckedScope)
{
    TfrmCaseDetails dialog;
    TJob job = MakeJob(jobUpper, scopeExtension);
    dialog.LoadJob(job);
    EXPECT_TRUE(Child<QRadioButton>(&dialog, "rbExtension")->isChecked());
    Child<QRadioButton>(&dialog, "rbFilename")->setChecked(true);
    dialog.StoreJob(job);
    EXPECT_EQ(job.Modifier, scopeFilename);

    TJob odd = MakeJob(jobLower, 7);
    TfrmCaseDetails other;
    other.LoadJob(odd);
    other.StoreJob(odd);
    EXPECT_EQ(odd.Modifier, 7);
}

TEST(ReplaceDialog, KeepsTheModeItWasLoadedWith)
{
    TfrmReplaceDetails dialog;
    TJob job = MakeJob(jobReplace, replaceRegex, 1, 0, "a+", "b");
    dialog.LoadJob(job);
    EXPECT_TRUE(Child<QCheckBox>(&dialog, "chkRegex")->isVisibleTo(&dialog));
    EXPECT_TRUE(Child<QPushButton>(&dialog, "btnRegExHelp")->isVisibleTo(&dialog));
    EXPECT_TRUE(Child<QCheckBox>(&dialog, "chkRegex")->isChecked());
    EXPECT_TRUE(Child<QCheckBox>(&dialog, "chkMatchCase")->isChecked());
    Child<QLineEdit>(&dialog, "edtString2")->setText(QStringLiteral("c"));
    dialog.StoreJob(job);
    EXPECT_EQ(job, MakeJob(jobReplace, replaceRegex, 1, 0, "a+", "c"));
    // The user chooses the mode now.
    Child<QCheckBox>(&dialog, "chkRegex")->setChecked(false);
    dialog.StoreJob(job);
    EXPECT_EQ(job.Modifier, replaceText);
}

// OK with a regular expression that cannot run says why and where, and the dialog stays open;
// literal text is never refused.
TEST(ReplaceDialog, OkWithARegexThatCannotRunSaysWhyAndStaysOpen)
{
    TfrmReplaceDetails dialog;
    std::vector<QString> shown;
    dialog.ShowMessage = [&](QWidget* parent, const QString& text) {
        EXPECT_EQ(parent, &dialog);
        shown.push_back(text);
    };
    dialog.LoadJob(TJob::Create(jobReplace));
    activate(dialog);
    auto* find = Child<QLineEdit>(&dialog, "edtString1");
    auto* replace = Child<QLineEdit>(&dialog, "edtString2");
    auto* ok = Child<QPushButton>(&dialog, "btnOk");
    find->setText(QStringLiteral("(abc"));
    Child<QCheckBox>(&dialog, "chkRegex")->setChecked(true);
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
    TJob job = TJob::Create(jobReplace);
    dialog.StoreJob(job);
    EXPECT_EQ(job, MakeJob(jobReplace, replaceRegex, 0, 0, "(abc)", "\\U$1"));

    TfrmReplaceDetails literal;
    literal.ShowMessage = dialog.ShowMessage;
    literal.LoadJob(MakeJob(jobReplace, replaceText, 0, 0, "(abc", "$2"));
    activate(literal);
    Child<QPushButton>(&literal, "btnOk")->click();
    EXPECT_EQ(literal.result(), QDialog::Accepted);
    EXPECT_EQ(shown.size(), 2u);
}

TEST(ReplaceDialog, HelpButtonAsksForTheHelpOnRegularExpressions)
{
    TfrmReplaceDetails dialog;
    int asked = 0;
    dialog.ShowRegexHelp = [&] { ++asked; };
    Child<QPushButton>(&dialog, "btnRegExHelp")->click();
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(Child<QPushButton>(&dialog, "btnRegExHelp")->text(), QStringLiteral("Regular Expression Help"));
    EXPECT_EQ(Child<QCheckBox>(&dialog, "chkRegex")->text(), QStringLiteral("Use Regular Expressions"));
}

// "Accented and other letters too" is Int1 of a case job: checked for 1 only, stored as 1 or 0.
TEST(CaseDialog, AllLettersIsInt1)
{
    for (const std::int32_t int1 : {0, 1, 2, -1}) {
        TfrmCaseDetails dialog;
        TJob job = MakeJob(jobNormal, scopeFilename, int1);
        dialog.LoadJob(job);
        auto* all = Child<QCheckBox>(&dialog, "chkAllLetters");
        EXPECT_EQ(all->isChecked(), int1 == 1) << int1;
        EXPECT_EQ(all->text(), QStringLiteral("Accented and other letters too"));
        dialog.StoreJob(job);
        EXPECT_EQ(job, MakeJob(jobNormal, scopeFilename, int1 == 1 ? 1 : 0)) << int1;
        all->setChecked(!all->isChecked());
        dialog.StoreJob(job);
        EXPECT_EQ(job.Int1, int1 == 1 ? 0 : 1) << int1;
    }
}

TEST(ReplaceDialog, MatchCaseOnlyForOne)
{
    TfrmReplaceDetails dialog;
    TJob job = MakeJob(jobReplace, replaceText, 2, 0, "a", "b");
    dialog.LoadJob(job);
    EXPECT_FALSE(Child<QCheckBox>(&dialog, "chkMatchCase")->isChecked());
    dialog.StoreJob(job);
    EXPECT_EQ(job, MakeJob(jobReplace, replaceText, 0, 0, "a", "b"));
}

TEST(JobDialogs, BytesOfAnUntouchedFieldSurvive)
{
    // Job strings from a file need not be valid in the encoding of file names; a field the
    // user does not change gives back the very bytes it showed.
    const std::string latin1 = "caf\xE9";
    TfrmReplaceDetails replace;
    TJob job = MakeJob(jobReplace, replaceText, 0, 0, latin1, "\xFF");
    replace.LoadJob(job);
    replace.StoreJob(job);
    EXPECT_EQ(job.Str1, latin1);
    EXPECT_EQ(job.Str2, "\xFF");

    TfrmRemoveDetails remove;
    TJob removeJob = MakeJob(jobRemove, posAfterString, 1, 0, latin1);
    remove.LoadJob(removeJob);
    remove.StoreJob(removeJob);
    EXPECT_EQ(removeJob.Str1, latin1);

    // A changed field takes the new text.
    Child<QLineEdit>(&replace, "edtString1")->setText(QStringLiteral("café"));
    replace.StoreJob(job);
    EXPECT_EQ(job.Str1, "café");
}

TEST(JobDialogs, CaptionsAndTabOrder)
{
    TfrmRemoveDetails remove;
    TfrmCounterDetails counter;
    TfrmAddDetails add;
    TfrmReplaceDetails replace;
    EXPECT_EQ(remove.windowTitle(), QStringLiteral("Remove a number of characters"));
    EXPECT_EQ(counter.windowTitle(), QStringLiteral("File Counter"));
    EXPECT_EQ(add.windowTitle(), QStringLiteral("Insert a string"));
    EXPECT_EQ(replace.windowTitle(), QStringLiteral("String Replacement"));
    EXPECT_EQ(
        Child<QRadioButton>(&remove, "rbBegin")->text(), QStringLiteral("from the beginning of filenames"));
    EXPECT_EQ(Child<QRadioButton>(&remove, "rbEnd")->text(), QStringLiteral("from the end of filenames"));
    EXPECT_EQ(
        Child<QRadioButton>(&counter, "rbBegin")->text(), QStringLiteral("at the beginning of filenames"));
    EXPECT_EQ(Child<QRadioButton>(&add, "rbBegin")->text(), QStringLiteral("at the beginning of filenames"));
    EXPECT_EQ(Child<QRadioButton>(&add, "rbEnd")->text(), QStringLiteral("at the end of filenames"));
    EXPECT_EQ(Child<QLabel>(&counter, "lblPrompt")->text(), QStringLiteral("Insert a numeric string of..."));
    EXPECT_EQ(Child<QLabel>(&add, "lblPrompt")->text(), QStringLiteral("Insert this string : "));
    EXPECT_EQ(Child<QLabel>(&remove, "Label1")->text(), QStringLiteral("...characters..."));
    EXPECT_EQ(
        Child<QCheckBox>(&replace, "chkMatchCase")->text(), QStringLiteral("Match case (case sensitive)"));
    EXPECT_EQ(Child<QLabel>(&replace, "Label1")->text(), QStringLiteral("And replace it with:"));
    EXPECT_TRUE(Child<QPushButton>(&remove, "btnOk")->isDefault());

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
    TfrmCaseDetails dialog;
    activate(dialog);
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_FALSE(dialog.isVisible());
}

} // namespace
