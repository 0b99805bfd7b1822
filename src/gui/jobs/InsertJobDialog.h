#pragma once

#include <memory>

#include "core/jobs/Job.h"
#include "gui/jobs/PositionJobDialog.h"

namespace Ui
{
class InsertJobDialog;
}

namespace brindle
{

/// Parameters of an insert job: the text to insert, and where.
class InsertJobDialog : public PositionJobDialog
{
    Q_OBJECT

public:
    explicit InsertJobDialog(QWidget* parent = nullptr);
    ~InsertJobDialog() override;

    /// Job to controls; a job of another kind leaves the dialog as it was built.
    void loadJob(const Job& job);
    /// Controls to job.
    void storeJob(Job& job) const;

private:
    std::unique_ptr<Ui::InsertJobDialog> ui;
};

} // namespace brindle
