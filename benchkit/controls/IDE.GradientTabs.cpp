#include "IDE.GradientTabs.h"

namespace {

const char16_t* const SSelectViewHint = u"Select view...";
const char16_t* const SCloseViewHint = u"Close the current view";

} // namespace

TClosableTabScroller::TClosableTabScroller(TComponent* AOwner, int ATabHeight)
    : TTabScroller(AOwner, ATabHeight) {
    TScrollerButton* right = GetRightButton();
    FDropDownButton = new TDownButton(this);
    FDropDownButton->SetName(u"DropDownButton");
    FDropDownButton->SetParent(this);
    FDropDownButton->SetBounds(right->GetLeft() + right->GetWidth() + 2, right->GetTop(), 16, 16);
    FDropDownButton->SetAnchors(TAnchors{akRight, akBottom});
    FDropDownButton->SetHint(SSelectViewHint);
    FCloseButton = new TCloseButton(this);
    FCloseButton->SetName(u"CloseButton");
    FCloseButton->SetParent(this);
    FCloseButton->SetBounds(FDropDownButton->GetLeft() + FDropDownButton->GetWidth() + 1,
                            right->GetTop(), 16, 16);
    FCloseButton->SetAnchors(TAnchors{akRight, akBottom});
    FCloseButton->SetHint(SCloseViewHint);
    SetWidth(GetSuggestedWidth(true));
}

int TClosableTabScroller::GetSuggestedWidth(bool ShowScrollers) {
    int w = TTabScroller::GetSuggestedWidth(ShowScrollers);
    int button = GetRightButton()->GetWidth();
    return w != 0 ? w + 2 * button + 4 : 2 * button + 8;
}

void TClosableTabScroller::SetShowScrollers(bool Value) {
    TTabScroller::SetShowScrollers(Value);
    SetWidth(GetSuggestedWidth(Value));
    if (GetParent()) SetLeft(GetParent()->GetWidth() - GetWidth());
    GetLeftButton()->SetVisible(Value);
    GetRightButton()->SetVisible(Value);
    // Without the scroll buttons the two view buttons move to the left edge.
    int left = Value ? GetRightButton()->GetLeft() + GetRightButton()->GetWidth() + 2 : 3;
    FDropDownButton->SetLeft(left);
    FCloseButton->SetLeft(left + FDropDownButton->GetWidth() + 1);
}

TClass TIDEGradientTabSet::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TIDEGradientTabSet>(u"TIDEGradientTabSet", TGradientTabSet::StaticClass()));
    return &meta;
}

TIDEGradientTabSet::TIDEGradientTabSet(TComponent* AOwner)
    : TGradientTabSet(AOwner, [](TGradientTabSet* Set, int TabHeight) -> TTabScroller* {
          return new TClosableTabScroller(Set, TabHeight);
      }) {
    // The scroller is there from the start, with only the view buttons.
    FScroller->SetVisible(true);
    FScroller->SetShowScrollers(true);
    FScroller->SetShowScrollers(false);
}

TTabScroller* TIDEGradientTabSet::CreateTabScroller(int TabHeight) {
    return new TClosableTabScroller(this, TabHeight);
}
