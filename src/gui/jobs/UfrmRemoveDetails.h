#pragma once

#include <memory>

#include "jobs/UTJob.h"
#include "jobs/UfrmPositionDetails.h"

namespace Ui
{
class TfrmRemoveDetails;
}

namespace brindle
{

/// Parameters of a remove job: how many characters, and where.
class TfrmRemoveDetails : public TPositionDetails
{
    Q_OBJECT

public:
    explicit TfrmRemoveDetails(QWidget* parent = nullptr);
    ~TfrmRemoveDetails() override;

    /// Job to controls; a job of another kind leaves the dialog as it was built.
    void LoadJob(const TJob& job);
    /// Controls to job.
    void StoreJob(TJob& job) const;

private:
    std::unique_ptr<Ui::TfrmRemoveDetails> ui;
};

} // namespace brindle
