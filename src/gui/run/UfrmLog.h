#pragma once

#include <QDialog>

#include <memory>

namespace Ui
{
class TfrmLog;
}

namespace brindle
{

/// The log window: the trace of every run since the program started (or since Clear Log), in
/// a fixed-pitch font without line wrapping. It is created hidden with the main window and
/// lives as long as the program; OK and the close box only hide it.
class TfrmLog : public QDialog
{
    Q_OBJECT

public:
    explicit TfrmLog(QWidget* owner);
    ~TfrmLog() override;

    /// Appends lines (separated by "\n", no line end after the last) to memLog.
    void AppendLines(const QString& lines);
    /// The whole text of memLog.
    QString Text() const;
    /// Shows the window if it is hidden and brings it to the front.
    void ShowLog();

private slots:
    void btnClearLogClick();
    void btnOKClick();

private:
    std::unique_ptr<Ui::TfrmLog> ui;
};

} // namespace brindle
