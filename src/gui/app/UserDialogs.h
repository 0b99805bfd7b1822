#pragma once

#include <QString>
#include <QStringList>

#include <string_view>

class QDialog;
class QWidget;

namespace brindle
{

/// A message as the user reads it: the text of its bytes, CR LF line ends as plain line ends.
QString messageText(std::string_view text);

/// What a job list file dialog shows: its title, its filters (Qt form, first one selected),
/// the extension added to a name typed without one, and the folder it starts in.
struct FileDialogOptions {
    QString title;
    QStringList filters;
    QString defaultSuffix;
    QString folder;
};

/// What a message box reports, which gives it its icon: news, something refused or missing, or
/// something that failed.
enum class MessageKind { Information, Warning, Error };

/// Everything the main window asks of the user goes through this interface: message boxes,
/// the open and save dialogs and the modal job and encoding dialogs. The program uses the Qt
/// implementation below; the window tests put a recorder in its place.
class IUserDialogs
{
public:
    virtual ~IUserDialogs() = default;

    /// An information box with an OK button.
    virtual void showMessage(QWidget* parent, const QString& text) = 0;
    /// A message box of that kind with an OK button; unless overridden, showMessage.
    virtual void showMessage(QWidget* parent, const QString& text, MessageKind kind)
    {
        (void)kind;
        showMessage(parent, text);
    }
    /// A confirmation with Yes and No; true for Yes.
    virtual bool askYesNo(QWidget* parent, const QString& text) = 0;
    /// The chosen existing file, or an empty string when the user cancelled.
    virtual QString chooseOpenFile(QWidget* parent, const FileDialogOptions& options) = 0;
    /// The chosen file name (it need not exist), or an empty string when the user cancelled.
    virtual QString chooseSaveFile(QWidget* parent, const FileDialogOptions& options) = 0;
    /// Shows a prepared dialog modally and returns its result (QDialog::Accepted for OK).
    virtual int execDialog(QDialog& dialog) = 0;
    /// A line of text typed by the user, starting from initial; an empty string when the user
    /// cancelled.
    virtual QString askText(
        QWidget* parent, const QString& title, const QString& label, const QString& initial)
        = 0;
};

/// Message boxes, file dialogs and modal dialogs of Qt.
class QtUserDialogs final : public IUserDialogs
{
public:
    void showMessage(QWidget* parent, const QString& text) override;
    void showMessage(QWidget* parent, const QString& text, MessageKind kind) override;
    bool askYesNo(QWidget* parent, const QString& text) override;
    QString chooseOpenFile(QWidget* parent, const FileDialogOptions& options) override;
    QString chooseSaveFile(QWidget* parent, const FileDialogOptions& options) override;
    int execDialog(QDialog& dialog) override;
    QString askText(
        QWidget* parent, const QString& title, const QString& label, const QString& initial) override;
};

} // namespace brindle
