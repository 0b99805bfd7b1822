#pragma once

#include <memory>

#include "core/jobs/Job.h"
#include "gui/jobs/PositionJobDialog.h"

namespace Ui
{
class CounterJobDialog;
}

namespace brindle
{

/// Parameters of a counter job: the counter's width in characters, and where it goes.
class CounterJobDialog : public PositionJobDialog
{
    Q_OBJECT

public:
    explicit CounterJobDialog(QWidget* parent = nullptr);
    ~CounterJobDialog() override;

    /// Job to controls; a job of another kind leaves the dialog as it was built.
    void loadJob(const Job& job);
    /// Controls to job.
    void storeJob(Job& job) const;

private:
    std::unique_ptr<Ui::CounterJobDialog> ui;
};

} // namespace brindle
