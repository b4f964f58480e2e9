// The IDEMUIStringSupport unit: one process-wide table of translated
// user-interface strings, keyed by section and name, and the expansion of
// references to them ("@(section, name)") inside other texts. Used from the
// GUI thread only.
#pragma once
#pragma GCC visibility push(default)

#include <runpak/Component.h>
#include <runpak/UString.h>

// A translated text that a data module holds as one of its components; the
// component's name is the text's name.
class TMUIResourceItem : public TComponent {
public:
    explicit TMUIResourceItem(TComponent* AOwner) : TComponent(AOwner) {}
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    // The stored text, or "No translation found(<Name>)" while there is none.
    UnicodeString GetTranslatedName() const;
    void SetTranslatedName(const UnicodeString& Value);

private:
    UnicodeString FTranslatedName;
};

// Registers the text of a resource string under Section and Name; the first
// registration of a key wins.
void RegisterMUIString(const UnicodeString& Section, const UnicodeString& Name,
                       const UnicodeString& ResString);

// Registers the TranslatedName of every TMUIResourceItem the data module
// owns, under Section and the item's name.
void RegisterMUIStrings(TComponent* DataModule, const UnicodeString& Section);

// S with every "@(section, name)" replaced by the registered text (nothing
// when unregistered) and every "@@" by "@"; other text is kept as it stands.
UnicodeString ExpandLocaleString(const UnicodeString& S);

// The table's two primitives: add when the key is new, and look up (empty
// when the key or the whole table is missing).
void AddMUIString(const UnicodeString& Section, const UnicodeString& Name,
                  const UnicodeString& Value);
UnicodeString LookupMUIString(const UnicodeString& Section, const UnicodeString& Name);

// Unit shut-down: frees the table.
void FinalizeIDEMUIStringSupport();

#pragma GCC visibility pop
