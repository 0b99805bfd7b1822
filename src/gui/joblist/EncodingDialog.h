#pragma once

#include <QDialog>

#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace Ui
{
class EncodingDialog;
}

namespace brindle
{

/// The choice of the encoding name written into job list files: one of twelve names with
/// their descriptions, or any text the user types.
class EncodingDialog : public QDialog
{
    Q_OBJECT

public:
    explicit EncodingDialog(QWidget* parent = nullptr);
    ~EncodingDialog() override;

    /// Selects the first item that begins with name (ASCII letters without case); when none
    /// does, selects nothing and puts name itself into the edit field.
    void selectEncoding(std::string_view name);

    /// The encoding name the dialog stands at: the text of the edit field up to its first blank.
    std::string encodingName() const;

    /// Asked with encodingName() when OK is pressed; the dialog closes only when it says yes
    /// (when it is set). It tells the user why when it says no.
    std::function<bool(const std::string&)> checkEncoding;

protected:
    void accept() override;

private:
    std::unique_ptr<Ui::EncodingDialog> ui;
};

} // namespace brindle
