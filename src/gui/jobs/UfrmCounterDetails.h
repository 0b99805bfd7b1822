#pragma once

#include <memory>

#include "jobs/UTJob.h"
#include "jobs/UfrmPositionDetails.h"

namespace Ui
{
class TfrmCounterDetails;
}

namespace brindle
{

/// Parameters of a counter job: the counter's width in characters, and where it goes.
class TfrmCounterDetails : public TPositionDetails
{
    Q_OBJECT

public:
    explicit TfrmCounterDetails(QWidget* parent = nullptr);
    ~TfrmCounterDetails() override;

    /// Job to controls; a job of another kind leaves the dialog as it was built.
    void LoadJob(const TJob& job);
    /// Controls to job.
    void StoreJob(TJob& job) const;

private:
    std::unique_ptr<Ui::TfrmCounterDetails> ui;
};

} // namespace brindle
