// The persistent objects every tree owns and publishes: its option sets
// (TreeOptions), its colours (Colors), its scroll-bar settings
// (ScrollBarOptions) and the clipboard formats it offers (ClipboardFormats).
// Each keeps its owner tree and applies a change to it at once.
#pragma once
#pragma GCC visibility push(default)

#include "benchkit/vtree/VirtualTreeTypes.h"

#include <quorlpak/Colors.h>
#include <runpak/Component.h>
#include <runpak/StringList.h>

class TCustomVirtualTreeOptions : public TPersistent {
public:
    explicit TCustomVirtualTreeOptions(TBaseVirtualTree* AOwner);

    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    TBaseVirtualTree* GetTree() const { return FOwner; }
    TPersistent* GetOwner() const override;

    TVTPaintOptions GetPaintOptions() const { return FPaintOptions; }
    TVTAnimationOptions GetAnimationOptions() const { return FAnimationOptions; }
    TVTAutoOptions GetAutoOptions() const { return FAutoOptions; }
    TVTSelectionOptions GetSelectionOptions() const { return FSelectionOptions; }
    TVTMiscOptions GetMiscOptions() const { return FMiscOptions; }
    void SetPaintOptions(TVTPaintOptions Value);
    void SetAnimationOptions(TVTAnimationOptions Value);
    void SetAutoOptions(TVTAutoOptions Value);
    void SetSelectionOptions(TVTSelectionOptions Value);
    void SetMiscOptions(TVTMiscOptions Value);

protected:
    friend class TBaseVirtualTree;
    // Into another options object through its setters, so that their effects
    // run on that object's tree.
    void AssignTo(TPersistent* Dest) override;

    TBaseVirtualTree* FOwner;
    TVTPaintOptions FPaintOptions = DefaultPaintOptions;
    TVTAnimationOptions FAnimationOptions = DefaultAnimationOptions;
    TVTAutoOptions FAutoOptions = DefaultAutoOptions;
    TVTSelectionOptions FSelectionOptions = DefaultSelectionOptions;
    TVTMiscOptions FMiscOptions = DefaultMiscOptions;
};

// The options class that publishes the five sets.
class TVirtualTreeOptions : public TCustomVirtualTreeOptions {
public:
    using TCustomVirtualTreeOptions::TCustomVirtualTreeOptions;
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }
};

// The fifteen colours of a tree, by index.
class TVTColors : public TPersistent {
public:
    enum : int {
        DisabledColorIndex,
        DropMarkColorIndex,
        DropTargetColorIndex,
        FocusedSelectionColorIndex,
        GridLineColorIndex,
        TreeLineColorIndex,
        UnfocusedSelectionColorIndex,
        BorderColorIndex,
        HotColorIndex,
        FocusedSelectionBorderColorIndex,
        UnfocusedSelectionBorderColorIndex,
        DropTargetBorderColorIndex,
        SelectionRectangleBlendColorIndex,
        SelectionRectangleBorderColorIndex,
        HeaderHotColorIndex,
        ColorCount
    };

    explicit TVTColors(TBaseVirtualTree* AOwner);
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    TColor GetColor(int Index) const { return FColors[Index]; }
    void SetColor(int Index, TColor Value);
    void Assign(TPersistent* Source) override;

    // The published names of the indexes, for readers of the code.
    TColor GetBorderColor() const { return FColors[BorderColorIndex]; }
    void SetBorderColor(TColor Value) { SetColor(BorderColorIndex, Value); }
    TColor GetTreeLineColor() const { return FColors[TreeLineColorIndex]; }
    void SetTreeLineColor(TColor Value) { SetColor(TreeLineColorIndex, Value); }

private:
    TBaseVirtualTree* FOwner;
    TColor FColors[ColorCount];
};

class TScrollBarOptions : public TPersistent {
public:
    explicit TScrollBarOptions(TBaseVirtualTree* AOwner);
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    TPersistent* GetOwner() const override;
    void Assign(TPersistent* Source) override;

    bool GetAlwaysVisible() const { return FAlwaysVisible; }
    void SetAlwaysVisible(bool Value);
    TVTScrollIncrement GetHorizontalIncrement() const { return FIncrementX; }
    void SetHorizontalIncrement(TVTScrollIncrement Value);
    TVTScrollIncrement GetVerticalIncrement() const { return FIncrementY; }
    void SetVerticalIncrement(TVTScrollIncrement Value);
    TScrollStyle GetScrollBars() const { return FScrollBars; }
    void SetScrollBars(TScrollStyle Value);
    TScrollBarStyle GetScrollBarStyle() const { return FScrollBarStyle; }
    void SetScrollBarStyle(TScrollBarStyle Value) { FScrollBarStyle = Value; }

private:
    TBaseVirtualTree* FOwner;
    bool FAlwaysVisible = false;
    TVTScrollIncrement FIncrementX = 20;
    TVTScrollIncrement FIncrementY = 20;
    TScrollStyle FScrollBars = TScrollStyle::ssBoth;
    TScrollBarStyle FScrollBarStyle = sbmRegular;
};

// The descriptions of the clipboard formats a tree offers: sorted, no
// duplicates, and only formats the registry lets this tree's class render.
class TClipboardFormats : public TStringList {
public:
    explicit TClipboardFormats(TBaseVirtualTree* AOwner);
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    TBaseVirtualTree* GetTree() const { return FOwner; }
    // The index of the accepted description, or -1 when it is refused.
    int Add(const UnicodeString& S) override;
    // Ignores a refused description.
    void Insert(int Index, const UnicodeString& S) override;

private:
    bool Accepts(const UnicodeString& S) const;
    TBaseVirtualTree* FOwner;
};

// --- The process-wide clipboard format registry (its core) ----------------------------

// The class registered for Description, or null when it is unknown.
TClass VTClipboardFormatClass(const UnicodeString& Description);
// Drops every registration (unit shut-down).
void ClearVTClipboardFormats();

#pragma GCC visibility pop
