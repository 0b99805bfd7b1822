#pragma once

#include <functional>
#include <memory>
#include <string>

#include "core/jobs/Job.h"
#include "gui/jobs/PositionJobDialog.h"

class QMenu;

namespace Ui
{
class TemplateJobDialog;
}

namespace brindle
{

/// Parameters of a template job: the template, with a menu of the tokens to insert, where the
/// filled-in template goes (in place of the name, or as an insert places its text), and a
/// sample of what it makes, updated as the template is typed.
class TemplateJobDialog : public PositionJobDialog
{
    Q_OBJECT

public:
    explicit TemplateJobDialog(QWidget* parent = nullptr);
    ~TemplateJobDialog() override;

    /// Job to controls; a job of another kind leaves the dialog as it was built.
    void loadJob(const Job& job);
    /// Controls to job.
    void storeJob(Job& job) const;

    /// What a job makes of the sample the window shows (the selected file, with its values):
    /// the new name, or the reason the job cannot make one in failure. Unset: no sample.
    std::function<std::string(const Job& job, std::string& failure)> sample;
    /// Shows a message over the dialog (the window's seam); unset, a message box.
    std::function<void(QWidget* parent, const QString& text)> showMessage;

    /// The sample line as it stands.
    QString sampleText() const;

public slots:
    void accept() override;

private slots:
    /// Shows what the job as set now makes of the sample, or why the template cannot be used.
    void updateSample();
    /// Inserts token at the cursor of the template field.
    void insertToken(const QString& token);

private:
    /// The menu of tokens, grouped: file, photo, audio, document.
    QMenu* tokenMenu();

    std::unique_ptr<Ui::TemplateJobDialog> ui;
};

} // namespace brindle
