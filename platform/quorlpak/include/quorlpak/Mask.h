// TMaskEdit: an edit whose text follows an edit mask, "mask[;save[;blank]]".
// Mask characters: 0 a digit, 9 a digit or space, # a digit, sign or space,
// L a letter, l a letter or space, A a letter or digit, a the same or space,
// C any character, c any character or space (0, L, A and C must be filled);
// > upper case and < lower case from there on, <> neither; \ takes the next
// character as a literal; every other character is a literal. With save "0"
// the value (GetMaskedValue) leaves the literals out. Blank positions show
// the blank character ("_" unless given).
#pragma once
#pragma GCC visibility push(default)

#include <quorlpak/StdCtrls.h>

#include <runpak/Exceptions.h>

#include <vector>

// Raised by ValidateEdit for a required position left blank.
class EDBEditError : public Exception {
public:
    using Exception::Exception;
};

class TCustomMaskEdit : public TCustomEdit {
public:
    explicit TCustomMaskEdit(TComponent* AOwner);
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    const UnicodeString& GetEditMask() const { return FEditMask; }
    // The text is laid out afresh in the new mask.
    void SetEditMask(const UnicodeString& Value);
    bool IsMasked() const { return !FCells.empty(); }
    // The text without blanks (as spaces, trailing ones cut) and, when the
    // mask does not save them, without literals.
    UnicodeString GetMaskedValue();
    // Lays Value out in the mask (a value with or without the literals).
    void SetMaskedValue(const UnicodeString& Value);
    // Raises EDBEditError, with the caret on it, for the first required
    // position that is blank.
    virtual void ValidateEdit();

    void Dispatch(TMessage& Message) override;

private:
    struct Cell {
        char16_t ch;  // the literal, or the mask character of an input position
        bool input;   // an input position
        int caseMode; // 1 upper, -1 lower, 0 as typed
    };
    bool Accepts(const Cell& C, char16_t Ch) const;
    int NextInput(int From) const;
    int PrevInput(int From) const;
    void PutChar(int Index, char16_t Ch);
    void LayOut(const UnicodeString& Value, bool LiteralsInValue);

    UnicodeString FEditMask;
    std::vector<Cell> FCells;
    bool FSaveLiterals = true;
    char16_t FBlank = u'_';
};

class TMaskEdit : public TCustomMaskEdit {
public:
    using TCustomMaskEdit::TCustomMaskEdit;
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }
};

void RegisterMaskClasses();

#pragma GCC visibility pop
