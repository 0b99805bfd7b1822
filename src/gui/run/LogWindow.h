#pragma once

#include <QDialog>

#include <memory>

namespace Ui
{
class LogWindow;
}

namespace brindle
{

/// The log window: the trace of every run since the program started (or since Clear Log), in
/// a fixed-pitch font without line wrapping. It is created hidden with the main window and
/// lives as long as the program; OK and the close box only hide it.
class LogWindow : public QDialog
{
    Q_OBJECT

public:
    explicit LogWindow(QWidget* owner);
    ~LogWindow() override;

    /// Appends lines (separated by "\n", no line end after the last) to memLog.
    void appendLines(const QString& lines);
    /// The whole text of memLog.
    QString text() const;
    /// Shows the window if it is hidden and brings it to the front.
    void showLog();

private slots:
    void btnClearLogClick();
    void btnOKClick();

private:
    std::unique_ptr<Ui::LogWindow> ui;
};

} // namespace brindle
