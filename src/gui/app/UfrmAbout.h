#pragma once

#include <QDialog>

#include <memory>

namespace Ui
{
class TfrmAbout;
}

namespace brindle
{

/// The About box: the program's name and icon, its makers, the terms of use, where help is
/// found and the disclaimer. The project has no web site, so the box names no address. A new
/// box for every showing.
class TfrmAbout : public QDialog
{
    Q_OBJECT

public:
    explicit TfrmAbout(QWidget* owner);
    ~TfrmAbout() override;

private:
    void FormCreate();

    std::unique_ptr<Ui::TfrmAbout> ui;
};

} // namespace brindle
