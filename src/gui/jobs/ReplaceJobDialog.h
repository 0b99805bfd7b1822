#pragma once

#include <QDialog>

#include <functional>
#include <memory>

#include "gui/jobs/ByteTextMemo.h"
#include "core/jobs/Job.h"

namespace Ui
{
class ReplaceJobDialog;
}

namespace brindle
{

/// Parameters of a replace job: the text to find, its replacement, whether case matters and
/// whether the text to find is a regular expression. OK with a regular expression that cannot
/// run says why and keeps the dialog open.
class ReplaceJobDialog : public QDialog
{
    Q_OBJECT

public:
    explicit ReplaceJobDialog(QWidget* parent = nullptr);
    ~ReplaceJobDialog() override;

    /// Job to controls, for a replace job only.
    void loadJob(const Job& job);
    /// Controls to job: both strings, the mode and the case option.
    void storeJob(Job& job) const;

    /// Shows a message box over the dialog; unset, a Qt message box.
    std::function<void(QWidget* parent, const QString& text)> showMessage;
    /// Opens the help on regular expressions (btnRegExHelp); unset, the button does nothing.
    std::function<void()> showRegexHelp;

public slots:
    /// OK: closes the dialog unless a regular expression is checked and cannot run.
    void accept() override;

private slots:
    void btnRegExHelpClick();

private:
    std::unique_ptr<Ui::ReplaceJobDialog> ui;
    ByteTextMemo m_texts;
};

} // namespace brindle
