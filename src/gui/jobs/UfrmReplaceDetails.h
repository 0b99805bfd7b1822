#pragma once

#include <QDialog>

#include <memory>

#include "jobs/UJobDialogUtil.h"
#include "jobs/UTJob.h"

namespace Ui
{
class TfrmReplaceDetails;
}

namespace brindle
{

/// Parameters of a replace job: the text to find, its replacement and whether case matters.
/// The regular expression option is kept hidden: a job keeps the mode it was loaded with.
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

private:
    std::unique_ptr<Ui::TfrmReplaceDetails> ui;
    TByteTextMemo m_texts;
};

} // namespace brindle
