#pragma once

#include <QDialog>

#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace Ui
{
class TfrmPreferences;
}

namespace brindle
{

/// The choice of the encoding name written into job list files: one of twelve names with
/// their descriptions, or any text the user types.
class TfrmPreferences : public QDialog
{
    Q_OBJECT

public:
    explicit TfrmPreferences(QWidget* parent = nullptr);
    ~TfrmPreferences() override;

    /// Selects the first item that begins with name (ASCII letters without case); when none
    /// does, selects nothing and puts name itself into the edit field.
    void SelectEncoding(std::string_view name);

    /// The encoding name the dialog stands at: the text of the edit field up to its first blank.
    std::string EncodingName() const;

    /// Asked with EncodingName() when OK is pressed; the dialog closes only when it says yes
    /// (when it is set). It tells the user why when it says no.
    std::function<bool(const std::string&)> CheckEncoding;

protected:
    void accept() override;

private:
    std::unique_ptr<Ui::TfrmPreferences> ui;
};

} // namespace brindle
