// TComboBoxEx over the system "ComboBoxEx32" class: a combo box whose items
// (ItemsEx) carry a caption, data, images from Images and an indentation.
// The control keeps the items and mirrors every change into its window;
// while ItemsEx is locked (BeginUpdate) the window does not redraw.
#pragma once
#pragma GCC visibility push(default)

#include <quorlpak/ImgList.h>
#include <quorlpak/WinControl.h>
#include <runpak/TypeInfo.h>

#include <memory>
#include <vector>

class TCustomComboBoxEx;
class TComboExItems;

enum TComboBoxExStyle { csExDropDown, csExSimple, csExDropDownList };
PTypeInfo TypeInfo_TComboBoxExStyle();

class TComboExItem : public TPersistent {
public:
    explicit TComboExItem(TComboExItems* AOwner) : FOwner(AOwner) {}

    const UnicodeString& GetCaption() const { return FCaption; }
    void SetCaption(const UnicodeString& Value);
    void* GetData() const { return FData; }
    void SetData(void* Value) { FData = Value; }
    int GetImageIndex() const { return FImageIndex; }
    void SetImageIndex(int Value);
    int GetSelectedImageIndex() const { return FSelectedImageIndex; }
    void SetSelectedImageIndex(int Value);
    int GetOverlayImageIndex() const { return FOverlayImageIndex; }
    void SetOverlayImageIndex(int Value);
    int GetIndent() const { return FIndent; }
    void SetIndent(int Value);
    int GetIndex() const;

private:
    friend class TComboExItems;
    void Changed();

    TComboExItems* FOwner;
    UnicodeString FCaption;
    void* FData = nullptr;
    int FImageIndex = -1;
    int FSelectedImageIndex = -1;
    int FOverlayImageIndex = -1;
    int FIndent = 0;
};

class TComboExItems : public TPersistent {
public:
    explicit TComboExItems(TCustomComboBoxEx* AOwner) : FOwner(AOwner) {}
    ~TComboExItems() override;
    TComboExItems(const TComboExItems&) = delete;
    TComboExItems& operator=(const TComboExItems&) = delete;

    TComboExItem* Add();
    TComboExItem* AddItem(const UnicodeString& Caption, int ImageIndex = -1,
                          int SelectedImageIndex = -1, int OverlayImageIndex = -1, int Indent = 0,
                          void* Data = nullptr);
    TComboExItem* Insert(int Index);
    void Delete(int Index);
    void Clear();
    int GetCount() const { return static_cast<int>(FItems.size()); }
    TComboExItem* GetComboItem(int Index) const;
    int IndexOf(const TComboExItem* Item) const;

    // Locked: changes reach the window without redrawing it until the last
    // EndUpdate.
    void BeginUpdate();
    void EndUpdate();
    int GetUpdateCount() const { return FUpdateCount; }

private:
    friend class TComboExItem;
    friend class TCustomComboBoxEx;
    TCustomComboBoxEx* FOwner;
    std::vector<std::unique_ptr<TComboExItem>> FItems;
    int FUpdateCount = 0;
};

class TCustomComboBoxEx : public TWinControl {
public:
    explicit TCustomComboBoxEx(TComponent* AOwner);
    ~TCustomComboBoxEx() override;

    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    TComboExItems* GetItemsEx() const { return FItemsEx.get(); }
    TComboBoxExStyle GetStyle() const { return FStyle; }
    void SetStyle(TComboBoxExStyle Value);
    TCustomImageList* GetImages() const { return FImages; }
    void SetImages(TCustomImageList* Value);
    int GetItemIndex();
    void SetItemIndex(int Value);
    int GetDropDownCount() const { return FDropDownCount; }
    void SetDropDownCount(int Value) { FDropDownCount = Value; }
    bool GetDroppedDown();
    void SetDroppedDown(bool Value);
    // The edit's text, or the chosen item's caption without an edit.
    UnicodeString GetText();

    void Dispatch(TMessage& Message) override;

    TNotifyEvent OnChange;
    TNotifyEvent OnSelect;
    TNotifyEvent OnDropDown;
    TNotifyEvent OnCloseUp;

protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    void DestroyWnd() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    virtual void Change();
    virtual void Select();
    // The image list the window draws from (the Images list's by default).
    virtual HIMAGELIST ImageListHandle();
    void ApplyImageList();

private:
    friend class TComboExItems;
    friend class TComboExItem;
    void ItemInserted(int Index);
    void ItemChanged(int Index);
    void ItemDeleted(int Index);
    void ItemsCleared();
    void UpdateLockChanged(bool Locked);

    std::unique_ptr<TComboExItems> FItemsEx;
    TComboBoxExStyle FStyle = csExDropDown;
    TCustomImageList* FImages = nullptr;
    std::unique_ptr<TChangeLink> FImageChangeLink;
    int FItemIndex = -1; // kept while there is no window
    int FDropDownCount = 8;
};

class TComboBoxEx : public TCustomComboBoxEx {
public:
    using TCustomComboBoxEx::TCustomComboBoxEx;
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }
};

#pragma GCC visibility pop
