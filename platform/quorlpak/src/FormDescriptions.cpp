#include <quorlpak/Form.h>
#include <quorlpak/FormDescriptions.h>

#include <runpak/Filer.h>

void RegisterFormClass(TClass FormClass, const UnicodeString& Text) {
    RegisterClass(FormClass);
    RegisterComponentText(FormClass->ClassName(), Text);
}

void UnRegisterFormClass(TClass FormClass) {
    UnRegisterComponentText(FormClass->ClassName());
    UnRegisterClass(FormClass);
}

bool ReadFormDescription(TCustomForm* Form) {
    return InitInheritedComponent(Form, TCustomForm::StaticClass());
}
