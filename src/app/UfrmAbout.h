#pragma once

#include <QDialog>

#include <functional>
#include <memory>

class QUrl;

namespace Ui
{
class TfrmAbout;
}

namespace brindle
{

/// The About box: the program's name and icon, its makers, the terms of use, the web site
/// (a click opens it) and the disclaimer. A new box for every showing.
class TfrmAbout : public QDialog
{
    Q_OBJECT

public:
    /// openUrl hands an address to the desktop (QDesktopServices in the program).
    TfrmAbout(QWidget* owner, std::function<void(const QUrl&)> openUrl);
    ~TfrmAbout() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private slots:
    void lblURLClick();

private:
    void FormCreate();

    std::unique_ptr<Ui::TfrmAbout> ui;
    std::function<void(const QUrl&)> m_openUrl;
};

} // namespace brindle
