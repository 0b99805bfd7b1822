#pragma once

#include <QDialog>

#include <memory>

namespace Ui
{
class AboutDialog;
}

namespace brindle
{

/// The About box: the program's name and icon, its makers, the terms of use, where help is
/// found and the disclaimer. The project has no web site, so the box names no address. A new
/// box for every showing.
class AboutDialog : public QDialog
{
    Q_OBJECT

public:
    explicit AboutDialog(QWidget* owner);
    ~AboutDialog() override;

private:
    void showTitleAuthorAndNotice();

    std::unique_ptr<Ui::AboutDialog> ui;
};

} // namespace brindle
