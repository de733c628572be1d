#pragma once
// The system's list view in report mode with a check box on every row, for
// windows that list things the user picks from. Texts are code-page-936
// strings; they reach the control as UTF-16 (the W messages), converted with
// code page 936 named, so Chinese text shows on any system code page.
#include "Controls.h"

#include <string>
#include <vector>

class TListView : public TWinControl {
public:
    explicit TListView(TComponent* AOwner);
    const char* ClassName() const override { return "TListView"; }

    // Columns are kept and put into the window when it is made.
    void AddColumn(const std::string& caption, int width);
    // A new row (texts by column), checked; returns its index.
    int AddItem(const std::vector<std::string>& texts);
    void SetItemText(int item, int column, const std::string& text);
    std::string ItemText(int item, int column) const;
    int Count() const { return static_cast<int>(rows_.size()); }
    void Clear();

    bool Checked(int item) const;
    void SetChecked(int item, bool checked);

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWindowDone() override;

private:
    void PutColumn(int index);
    void PutRow(int index);

    struct TColumn {
        std::string Caption;
        int Width;
    };
    std::vector<TColumn> columns_;
    std::vector<std::vector<std::string>> rows_;  // the texts, kept for a window made later
    std::vector<bool> checked_;                   // the state before the window exists
};
