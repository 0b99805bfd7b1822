#pragma once

#include <QDialog>

#include <functional>
#include <memory>

#include "jobs/UJobDialogUtil.h"
#include "jobs/UTJob.h"

namespace Ui
{
class TfrmReplaceDetails;
}

namespace brindle
{

/// Parameters of a replace job: the text to find, its replacement, whether case matters and
/// whether the text to find is a regular expression. OK with a regular expression that cannot
/// run says why and keeps the dialog open.
class TfrmReplaceDetails : public QDialog
{
    Q_OBJECT

public:
    explicit TfrmReplaceDetails(QWidget* parent = nullptr);
    ~TfrmReplaceDetails() override;

    /// Job to controls, for a replace job only.
    void LoadJob(const TJob& job);
    /// Controls to job: both strings, the mode and the case option.
    void StoreJob(TJob& job) const;

    /// Shows a message box over the dialog; unset, a Qt message box.
    std::function<void(QWidget* parent, const QString& text)> ShowMessage;
    /// Opens the help on regular expressions (btnRegExHelp); unset, the button does nothing.
    std::function<void()> ShowRegexHelp;

public slots:
    /// OK: closes the dialog unless a regular expression is checked and cannot run.
    void accept() override;

private slots:
    void btnRegExHelpClick();

private:
    std::unique_ptr<Ui::TfrmReplaceDetails> ui;
    TByteTextMemo m_texts;
};

} // namespace brindle
