// Forms defined by a C++ class and a description text. The class derives
// from TForm, publishes a field for each control it names and a method for
// each handler its description names, and is registered with its text:
//
//   class TForm4 : public TForm {
//   public:
//       using TForm::TForm;
//       static TClass StaticClass();
//       TClass ClassType() const override { return StaticClass(); }
//       TButton* Button1 = nullptr;
//       void Button1Click(TObject* Sender);
//   };
//   TClass TForm4::StaticClass() {
//       static const TMetaClass meta(TClassBuilder<TForm4>(u"TForm4", TForm::StaticClass())
//                                        .Field(u"Button1", &TForm4::Button1)
//                                        .Method(u"Button1Click", &TForm4::Button1Click));
//       return &meta;
//   }
//   RegisterFormClass(TForm4::StaticClass(), u"TForm4 Form4 { ... }");
//
// Creating the form (Application->CreateForm, or new and AfterConstruction)
// then reads the description: its controls are made, their properties set,
// the fields filled and the handlers bound.
#pragma once
#pragma GCC visibility push(default)

#include <runpak/TypeInfo.h>

class TCustomForm;

// Registers the class for streaming and its description text.
void RegisterFormClass(TClass FormClass, const UnicodeString& Text);
void UnRegisterFormClass(TClass FormClass);
// Reads the registered descriptions of Form's class and its ancestors below
// TForm into Form (what creation does when no other initializer is set).
// Answers whether any description was found.
bool ReadFormDescription(TCustomForm* Form);

#pragma GCC visibility pop
