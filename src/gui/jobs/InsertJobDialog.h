#pragma once

#include <functional>
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

    /// Shows a message box over the dialog; unset, a Qt message box.
    std::function<void(QWidget* parent, const QString& text)> showMessage;

public slots:
    /// OK: closes the dialog unless there is no text to insert.
    void accept() override;

private:
    std::unique_ptr<Ui::InsertJobDialog> ui;
};

} // namespace brindle
