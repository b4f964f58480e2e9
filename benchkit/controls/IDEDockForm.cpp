#include "IDEDockForm.h"

#include <quorlpak/Application.h>
#include <runpak/TypeInfo.h>

TClass TXToolDockForm::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TXToolDockForm>(u"TXToolDockForm", TToolDockForm::StaticClass()));
    return &meta;
}

void TXToolDockForm::Dispatch(TMessage& Message) {
    if (Message.Msg == CM_DIALOGCHAR && Application) {
        TCustomForm* main = Application->GetMainForm();
        if (main && main != this) {
            Message.Result = main->Perform(Message.Msg, Message.WParam, Message.LParam);
            if (Message.Result != 0) return;
        }
    }
    TToolDockForm::Dispatch(Message);
}

void InitializeIDEDockForm() {
    RegisterClass(TXToolDockForm::StaticClass());
}

void FinalizeIDEDockForm() {
    UnRegisterClass(TXToolDockForm::StaticClass());
}
