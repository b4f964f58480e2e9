// The dialog in which the user picks the visible columns of an explorer
// view, their order and their widths. The caller adds one node per column,
// shows the dialog modally and reads the nodes back; with "Live Update"
// ticked OnVETUpdate reports every change at once.
#pragma once
#pragma GCC visibility push(default)

#include "benchkit/vtree/IDEVirtualTrees.h"

#include <quorlpak/ExtCtrls.h>
#include <quorlpak/Forms.h>
#include <quorlpak/StdCtrls.h>

#include <functional>

// The node data of the dialog's tree. Title is owned by the node: set it with
// SetTitle; freeing the node frees it.
#pragma pack(push, 1)
struct TColumnData {
    char16_t* Title;
    bool Enabled;        // the column is visible
    int32_t Width;       // pixels
    int32_t ColumnIndex; // the caller's column number

    UnicodeString GetTitle() const { return Title ? UnicodeString(Title) : UnicodeString(); }
    void SetTitle(const UnicodeString& Value);
    void FreeTitle();
};
#pragma pack(pop)
using PColumnData = TColumnData*;

using TVETUpdate = std::function<void(TObject* Sender)>;

class TFormColumnSettings : public TForm {
public:
    explicit TFormColumnSettings(TComponent* AOwner);
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    // The published components, in order.
    TPanel* Bevel1;
    TLabel* Label2;
    TLabel* Label3;
    TPanel* Panel1;
    TLabel* Label1;
    TCheckBox* CheckBoxLiveUpdate;
    TButton* ButtonOk;
    TButton* ButtonCancel;
    TVirtualStringTree* QOZColumnNames;
    TEdit* EditPixelWidth;

    // A new node at the end for one column; the dialog's own way to fill it.
    PVirtualNode AddColumn(const UnicodeString& Title, bool Enabled, int Width, int ColumnIndex);
    PColumnData ColumnData(PVirtualNode Node) const;
    PVirtualNode GetDragNode() const { return FDragNode; }

    TVETUpdate OnVETUpdate;

    // The handlers, as the form's events call them.
    void CheckBoxLiveUpdateClick(TObject* Sender);
    void EditPixelWidthExit(TObject* Sender);
    void EditPixelWidthKeyPress(TObject* Sender, char16_t& Key);
    void FormKeyPress(TObject* Sender, char16_t& Key);
    void FormResize(TObject* Sender);
    // Moves the dragged node after the target when it came from above, else before it.
    void DropDraggedNodeOn(PVirtualNode Target);

protected:
    void DoUpdateVET();

private:
    void BuildControls();
    void HookTree();
    // Stores the typed width into Node; an empty or non-numeric text keeps
    // the width it had.
    void StoreWidth(PVirtualNode Node);
    void ShowWidth(PVirtualNode Node);

    PVirtualNode FDragNode = nullptr;
};

// The global form variable of the unit; nothing creates it but the caller.
extern TFormColumnSettings* FormColumnSettings;

#pragma GCC visibility pop
