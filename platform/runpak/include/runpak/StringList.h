// String lists: the abstract TStrings and the TStringList that stores them.
#pragma once
#pragma GCC visibility push(default)

#include <runpak/Component.h>
#include <runpak/Lists.h>
#include <runpak/TextEncoding.h>

#include <functional>
#include <vector>

class TStream;

using TNotifyEvent = std::function<void(TObject* sender)>;

// A list of strings, each with an object. The abstract part: descendants
// store the strings and override Get, GetCount, Insert, Delete and Clear
// (and GetObject and PutObject when they keep objects).
//
// Text on disk: reading honours a UTF-16 or UTF-8 byte-order mark, else
// takes the bytes as UTF-8 when they are valid UTF-8, else as ANSI. Writing
// uses UTF-8 unless an encoding is given; UTF-16 files start with their
// byte-order mark, UTF-8 and ANSI files have none.
class TStrings : public TPersistent {
public:
    TStrings() = default;
    TStrings(const TStrings&) = delete;
    TStrings& operator=(const TStrings&) = delete;

    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    // --- What descendants provide --------------------------------------
    virtual UnicodeString Get(int index) const = 0;
    virtual int GetCount() const = 0;
    virtual TObject* GetObject(int index) const { return nullptr; }
    virtual void Put(int index, const UnicodeString& s);
    virtual void PutObject(int index, TObject* object) {}
    virtual int GetCapacity() const { return GetCount(); }
    virtual void SetCapacity(int newCapacity) {}
    virtual void Clear() = 0;
    virtual void Delete(int index) = 0;
    virtual void Insert(int index, const UnicodeString& s) = 0;

    // --- Editing --------------------------------------------------------
    virtual int Add(const UnicodeString& s);
    virtual int AddObject(const UnicodeString& s, TObject* object);
    void Append(const UnicodeString& s) { Add(s); }
    virtual void InsertObject(int index, const UnicodeString& s, TObject* object);
    virtual void AddStrings(TStrings* strings);
    // From other strings: replaces the content and the text settings with
    // those of source.
    void Assign(TPersistent* source) override;
    virtual void Exchange(int index1, int index2);
    virtual void Move(int curIndex, int newIndex);
    // Brackets a run of changes: change events fire once, at the outer end.
    void BeginUpdate();
    void EndUpdate();

    // --- Searching ------------------------------------------------------
    virtual int IndexOf(const UnicodeString& s) const;
    virtual int IndexOfName(const UnicodeString& name) const;
    virtual int IndexOfObject(TObject* object) const;
    // Same count and the same strings, case included.
    virtual bool Equals(TStrings* strings) const;

    // --- Files and streams ----------------------------------------------
    virtual void LoadFromFile(const UnicodeString& fileName);
    virtual void LoadFromFile(const UnicodeString& fileName, TTextEncoding encoding);
    // Reads from the stream's position to its end.
    virtual void LoadFromStream(TStream* stream);
    virtual void LoadFromStream(TStream* stream, TTextEncoding encoding);
    virtual void SaveToFile(const UnicodeString& fileName, TTextEncoding encoding = teUTF8);
    virtual void SaveToStream(TStream* stream, TTextEncoding encoding = teUTF8);

    // --- Properties -----------------------------------------------------
    UnicodeString GetStrings(int index) const { return Get(index); }
    void SetStrings(int index, const UnicodeString& s) { Put(index, s); }
    TObject* GetObjects(int index) const { return GetObject(index); }
    void SetObjects(int index, TObject* object) { PutObject(index, object); }

    // "name=value" items: the name is the text before the first separator
    // (empty when there is none), the value the text after it.
    UnicodeString GetNames(int index) const;
    UnicodeString GetValues(const UnicodeString& name) const;
    // An empty value deletes the item.
    void SetValues(const UnicodeString& name, const UnicodeString& value);
    UnicodeString GetValueFromIndex(int index) const;
    void SetValueFromIndex(int index, const UnicodeString& value);

    // Every item followed by LineBreak. Setting splits at CR LF, CR or LF
    // when LineBreak is CR LF (else at LineBreak); a final break adds no item.
    UnicodeString GetText() const { return GetTextStr(); }
    void SetText(const UnicodeString& text) { SetTextStr(text); }
    // Items joined by Delimiter. Items holding the delimiter or the quote
    // (or, unless StrictDelimiter, a blank or control character) are quoted
    // with QuoteChar, quotes inside doubled. Setting splits the same way;
    // unless StrictDelimiter, blanks separate items too.
    UnicodeString GetDelimitedText() const;
    void SetDelimitedText(const UnicodeString& text);
    // DelimitedText with ',' and '"', blanks separating.
    UnicodeString GetCommaText() const;
    void SetCommaText(const UnicodeString& text);

    char16_t GetDelimiter() const { return FDelimiter; }
    void SetDelimiter(char16_t value) { FDelimiter = value; }
    char16_t GetQuoteChar() const { return FQuoteChar; }
    void SetQuoteChar(char16_t value) { FQuoteChar = value; }
    bool GetStrictDelimiter() const { return FStrictDelimiter; }
    void SetStrictDelimiter(bool value) { FStrictDelimiter = value; }
    char16_t GetNameValueSeparator() const { return FNameValueSeparator; }
    void SetNameValueSeparator(char16_t value) { FNameValueSeparator = value; }
    const UnicodeString& GetLineBreak() const { return FLineBreak; }
    void SetLineBreak(const UnicodeString& value) { FLineBreak = value; }

protected:
    virtual UnicodeString GetTextStr() const;
    virtual void SetTextStr(const UnicodeString& text);
    // Called with true when the outermost update bracket opens, false when it closes.
    virtual void SetUpdateState(bool updating) {}
    // The order and equality of strings: case-insensitive here.
    virtual int CompareStrings(const UnicodeString& s1, const UnicodeString& s2) const;
    int GetUpdateCount() const { return FUpdateCount; }
    [[noreturn]] static void Error(const char* messageFormat, int data);

private:
    int FUpdateCount = 0;
    char16_t FDelimiter = u',';
    char16_t FQuoteChar = u'"';
    char16_t FNameValueSeparator = u'=';
    bool FStrictDelimiter = false;
    UnicodeString FLineBreak = u"\r\n";
};

class TStringList;
// Negative when the item at index1 sorts before the one at index2.
using TStringListSortCompare = std::function<int(TStringList* list, int index1, int index2)>;

// The string list proper. A sorted list keeps its order on Add (Insert and
// Put raise EStringListError there) and finds strings by binary search;
// Duplicates says what Add does with a string a sorted list already holds.
// Comparison ignores case (full Unicode) unless CaseSensitive is set.
class TStringList : public TStrings {
public:
    explicit TStringList(bool ownsObjects = false) : FOwnsObjects(ownsObjects) {}
    ~TStringList() override;

    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    UnicodeString Get(int index) const override;
    int GetCount() const override { return static_cast<int>(FList.size()); }
    TObject* GetObject(int index) const override;
    void Put(int index, const UnicodeString& s) override;
    void PutObject(int index, TObject* object) override;
    int GetCapacity() const override { return static_cast<int>(FList.capacity()); }
    void SetCapacity(int newCapacity) override;
    void Clear() override;
    void Delete(int index) override;
    void Insert(int index, const UnicodeString& s) override;
    void InsertObject(int index, const UnicodeString& s, TObject* object) override;
    int Add(const UnicodeString& s) override;
    int AddObject(const UnicodeString& s, TObject* object) override;
    // From another string list: its sorting rules too.
    void Assign(TPersistent* source) override;
    void Exchange(int index1, int index2) override;
    // Checks before it moves, so that a refused move loses nothing.
    void Move(int curIndex, int newIndex) override;
    int IndexOf(const UnicodeString& s) const override;

    // Binary search of a sorted list: true when s is there, index receives
    // its first position, or where it would be inserted.
    virtual bool Find(const UnicodeString& s, int& index) const;
    // Stable sorts; they leave a Sorted list alone.
    virtual void Sort();
    virtual void CustomSort(const TStringListSortCompare& compare);

    bool GetSorted() const { return FSorted; }
    void SetSorted(bool value);
    TDuplicates GetDuplicates() const { return FDuplicates; }
    void SetDuplicates(TDuplicates value) { FDuplicates = value; }
    bool GetCaseSensitive() const { return FCaseSensitive; }
    void SetCaseSensitive(bool value);
    // An owning list deletes an item's object when the item is deleted or
    // the list cleared or destroyed.
    bool GetOwnsObjects() const { return FOwnsObjects; }
    void SetOwnsObjects(bool value) { FOwnsObjects = value; }

    TNotifyEvent OnChange;
    TNotifyEvent OnChanging;

protected:
    // Fire OnChanging / OnChange, outside update brackets only.
    virtual void Changing();
    virtual void Changed();
    void SetUpdateState(bool updating) override;
    int CompareStrings(const UnicodeString& s1, const UnicodeString& s2) const override;
    virtual void InsertItem(int index, const UnicodeString& s, TObject* object);

private:
    struct TStringItem {
        UnicodeString FString;
        TObject* FObject;
    };
    void CheckIndex(int index) const;

    std::vector<TStringItem> FList;
    TDuplicates FDuplicates = dupIgnore;
    bool FSorted = false;
    bool FCaseSensitive = false;
    bool FOwnsObjects;
};

#pragma GCC visibility pop
