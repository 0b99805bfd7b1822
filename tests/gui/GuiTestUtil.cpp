#include "GuiTestUtil.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QTest>
#include <QTextDocument>
#include <QUrl>

#include <cstdlib>
#include <sstream>

namespace brindle::test
{

void RecordingDialogs::showMessage(QWidget* parent, const QString& text)
{
    messages.push_back(text);
    messageParents.push_back(parent);
    if (onMessage)
        onMessage(text);
}

bool RecordingDialogs::askYesNo(QWidget* parent, const QString& text)
{
    questions.push_back(text);
    questionParents.push_back(parent);
    if (onQuestion)
        onQuestion(text);
    if (answers.empty()) {
        ADD_FAILURE() << "unexpected question: " << text.toStdString();
        return false;
    }
    const bool answer = answers.front();
    answers.pop_front();
    return answer;
}

QString RecordingDialogs::chooseOpenFile(QWidget*, const FileDialogOptions& options)
{
    openRequests.push_back(options);
    if (openAnswers.empty())
        return {};
    QString answer = openAnswers.front();
    openAnswers.pop_front();
    return answer;
}

QString RecordingDialogs::chooseSaveFile(QWidget*, const FileDialogOptions& options)
{
    saveRequests.push_back(options);
    if (saveAnswers.empty())
        return {};
    QString answer = saveAnswers.front();
    saveAnswers.pop_front();
    return answer;
}

QString RecordingDialogs::askText(QWidget*, const QString&, const QString& label, const QString&)
{
    textRequests.push_back(label);
    if (textAnswers.empty())
        return {};
    QString answer = textAnswers.front();
    textAnswers.pop_front();
    return answer;
}

int RecordingDialogs::execDialog(QDialog& dialog)
{
    dialogTitles.push_back(dialog.windowTitle());
    if (dialogHandlers.empty()) {
        ADD_FAILURE() << "unexpected dialog: " << dialog.windowTitle().toStdString();
        return QDialog::Rejected;
    }
    DialogHandler handler = std::move(dialogHandlers.front());
    dialogHandlers.pop_front();
    // The dialog is shown as exec() would show it, so that focus and visibility work.
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    QApplication::processEvents();
    const int result = handler(dialog);
    dialog.hide();
    return result;
}

void RecordingDialogs::thenOk(std::function<void(QDialog&)> work)
{
    dialogHandlers.push_back([work = std::move(work)](QDialog& dialog) {
        if (work)
            work(dialog);
        // OK is pressed like the user does it: the dialog's own button closes it.
        auto* ok = dialog.findChild<QAbstractButton*>(QStringLiteral("btnOk"));
        if (!ok) {
            ADD_FAILURE() << "no btnOk";
            return int(QDialog::Rejected);
        }
        ok->click();
        return dialog.result();
    });
}

void RecordingDialogs::thenCancel(std::function<void(QDialog&)> work)
{
    dialogHandlers.push_back([work = std::move(work)](QDialog& dialog) {
        if (work)
            work(dialog);
        auto* cancel = dialog.findChild<QAbstractButton*>(QStringLiteral("btnCancel"));
        if (!cancel) {
            ADD_FAILURE() << "no btnCancel";
            return int(QDialog::Rejected);
        }
        cancel->click();
        return dialog.result();
    });
}

MainWindowFixture::MainWindowFixture()
{
    m_tree.dir("settings");
    m_tree.dir("app");
    m_tree.dir("work");
    m_tree.dir("data");
}

MainWindowFixture::~MainWindowFixture()
{
    if (m_win)
        finish();
}

MainWindow& MainWindowFixture::start(std::vector<std::string> args)
{
    MainWindowEnv env;
    env.appDir = appDir();
    env.settingsDir = settingsDir();
    env.dataHome = m_tree.at("data") + "/";
    env.args = std::move(args);
    env.dialogs = &m_dialogs;
    env.runStep = m_runStep;
    env.openUrl = [this](const QUrl& url) {
        m_openedUrls.push_back(url.toString());
        return m_desktopOpens;
    };
    m_win = std::make_unique<MainWindow>(std::move(env));
    m_win->show();
    QApplication::processEvents();
    return *m_win;
}

void MainWindowFixture::finish()
{
    m_win->close();
    QApplication::processEvents();
    m_win.reset();
}

QString MainWindowFixture::sampleResult()
{
    const QString text = child<QLabel>(m_win.get(), "lblSampleResult")->text();
    return text.startsWith(QStringLiteral("Result: ")) ? text.mid(8) : text;
}

MainWindow& MainWindowFixture::restart(std::vector<std::string> args)
{
    finish();
    return start(std::move(args));
}

void MainWindowFixture::addJob(const char* button, std::function<void(QDialog&)> work)
{
    m_dialogs.thenOk(std::move(work));
    click(button);
}

std::vector<std::string> MainWindowFixture::rows()
{
    std::vector<std::string> result;
    auto* lb = child<QListWidget>(m_win.get(), "lbJobs");
    for (int i = 0; lb && i < lb->count(); ++i)
        result.push_back(lb->item(i)->text().toStdString());
    return result;
}

int MainWindowFixture::selectedRow()
{
    auto* lb = child<QListWidget>(m_win.get(), "lbJobs");
    const QList<QListWidgetItem*> items = lb->selectedItems();
    return items.isEmpty() ? -1 : lb->row(items.front());
}

void MainWindowFixture::selectRow(int row)
{
    auto* lb = child<QListWidget>(m_win.get(), "lbJobs");
    lb->setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
}

void MainWindowFixture::click(const char* name)
{
    if (auto* button = child<QAbstractButton>(m_win.get(), name))
        button->click();
}

void MainWindowFixture::check(const char* name, bool checked)
{
    if (auto* box = child<QAbstractButton>(m_win.get(), name))
        box->setChecked(checked);
}

bool waitFor(const std::function<bool()>& done, int timeoutMs)
{
    return QTest::qWaitFor(done, timeoutMs);
}

QString shownText(const QString& text)
{
    if (!Qt::mightBeRichText(text))
        return text;
    QTextDocument doc;
    doc.setHtml(text);
    return doc.toPlainText();
}

QString toolTipOf(const QModelIndex& index)
{
    return shownText(index.data(Qt::ToolTipRole).toString());
}

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

ScopedEnv::ScopedEnv(const char* name, std::optional<std::string> value)
    : m_name(name)
{
    if (const char* old = std::getenv(name))
        m_old = old;
    if (value)
        ::setenv(name, value->c_str(), 1);
    else
        ::unsetenv(name);
}

ScopedEnv::~ScopedEnv()
{
    if (m_old)
        ::setenv(m_name, m_old->c_str(), 1);
    else
        ::unsetenv(m_name);
}

} // namespace brindle::test
