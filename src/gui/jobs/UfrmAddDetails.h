#pragma once

#include <memory>

#include "jobs/UTJob.h"
#include "jobs/UfrmPositionDetails.h"

namespace Ui
{
class TfrmAddDetails;
}

namespace brindle
{

/// Parameters of an insert job: the text to insert, and where.
class TfrmAddDetails : public TPositionDetails
{
    Q_OBJECT

public:
    explicit TfrmAddDetails(QWidget* parent = nullptr);
    ~TfrmAddDetails() override;

    /// Job to controls; a job of another kind leaves the dialog as it was built.
    void LoadJob(const TJob& job);
    /// Controls to job.
    void StoreJob(TJob& job) const;

private:
    std::unique_ptr<Ui::TfrmAddDetails> ui;
};

} // namespace brindle
