#pragma once

#include <memory>

#include "core/jobs/Job.h"
#include "gui/jobs/PositionJobDialog.h"

namespace Ui
{
class RemoveJobDialog;
}

namespace brindle
{

/// Parameters of a remove job: how many characters, and where.
class RemoveJobDialog : public PositionJobDialog
{
    Q_OBJECT

public:
    explicit RemoveJobDialog(QWidget* parent = nullptr);
    ~RemoveJobDialog() override;

    /// Job to controls; a job of another kind leaves the dialog as it was built.
    void loadJob(const Job& job);
    /// Controls to job.
    void storeJob(Job& job) const;

private:
    std::unique_ptr<Ui::RemoveJobDialog> ui;
};

} // namespace brindle
