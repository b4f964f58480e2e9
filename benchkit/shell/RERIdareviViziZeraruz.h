// Wide (UTF-16) text and file-name library of the shell layer: zero-terminated
// wide-string routines, wide path and file routines, the wide string list, a
// file stream opened by wide name and the length-prefixed string format that
// every persisted explorer stream uses.
#pragma once
#pragma GCC visibility push(default)

#include <runpak/Component.h>
#include <runpak/Lists.h>
#include <runpak/StringList.h>
#include <runpak/Streams.h>
#include <runpak/UString.h>
#include <win32/windows.h>

#include <cstdint>
#include <vector>

using PWideChar = char16_t*;
using PCWideChar = const char16_t*;

// ---- zero-terminated wide strings ------------------------------------------

unsigned StrLenW(PCWideChar Str);
PWideChar StrEndW(PCWideChar Str);
PWideChar StrMoveW(PWideChar Dest, PCWideChar Source, unsigned Count);
PWideChar StrCopyW(PWideChar Dest, PCWideChar Source);
PWideChar StrECopyW(PWideChar Dest, PCWideChar Source);
PWideChar StrLCopyW(PWideChar Dest, PCWideChar Source, unsigned MaxLen);
PWideChar StrPCopyW(PWideChar Dest, const UnicodeString& Source);
PWideChar StrPLCopyW(PWideChar Dest, const UnicodeString& Source, unsigned MaxLen);
PWideChar StrCatW(PWideChar Dest, PCWideChar Source);
PWideChar StrLCatW(PWideChar Dest, PCWideChar Source, unsigned MaxLen);
int StrCompW(PCWideChar Str1, PCWideChar Str2);
int StrLCompW(PCWideChar Str1, PCWideChar Str2, unsigned MaxLen);
int StrICompW(PCWideChar Str1, PCWideChar Str2);
int StrLICompW(PCWideChar Str1, PCWideChar Str2, unsigned MaxLen);
PWideChar StrLowerW(PWideChar Str);
PWideChar StrUpperW(PWideChar Str);
PWideChar StrScanW(PCWideChar Str, char16_t Chr);
PWideChar StrScanW(PCWideChar Str, char16_t Chr, unsigned StrLen);
PWideChar StrRScanW(PCWideChar Str, char16_t Chr);
int StrNScanW(PCWideChar S1, PCWideChar S2);
int StrRNScanW(PCWideChar S1, PCWideChar S2);
PWideChar StrPosW(PCWideChar Str, PCWideChar SubStr);
PWideChar StrAllocW(unsigned Size);
unsigned StrBufSizeW(PCWideChar Str);
PWideChar StrNewW(PCWideChar Str);
void StrDisposeW(PWideChar Str);
void StrSwapByteOrder(PWideChar Str);

// ---- framework strings ------------------------------------------------------

UnicodeString WideLowerCase(const UnicodeString& S);
UnicodeString WideUpperCase(const UnicodeString& S);
UnicodeString WideStringOfChar(char16_t Ch, int Count);
int WideCharPos(const UnicodeString& S, char16_t Ch, int Index);
UnicodeString WideQuotedStr(const UnicodeString& S, char16_t Quote);
// Reads a quoted string at P and advances P past the closing quote.
UnicodeString WideExtractQuotedStr(PCWideChar& P, char16_t Quote);
UnicodeString WideAdjustLineBreaks(const UnicodeString& S);
void InsertW(const UnicodeString& Sub, UnicodeString& S, int Index);
UnicodeString IntToStrW(int64_t Value);
UnicodeString AddCommas(const UnicodeString& Digits);
// Length-prefixed strings: 32-bit count of code units, then the units (LE).
// A count that is negative or runs past the end of the stream raises EReadError.
UnicodeString LoadWideString(TStream* S);
void SaveWideString(TStream* S, const UnicodeString& Str);

// ---- paths and files ---------------------------------------------------------

UnicodeString IncludeTrailingBackslashW(const UnicodeString& S);
UnicodeString StripTrailingBackslashW(const UnicodeString& S, bool Force = false);
bool IsPathDelimiterW(const UnicodeString& S, int Index);
UnicodeString ExtractFileDirW(const UnicodeString& FileName);
UnicodeString ExtractFileDriveW(const UnicodeString& FileName);
UnicodeString ExtractFileNameW(const UnicodeString& FileName);
UnicodeString ExtractFileExtW(const UnicodeString& FileName);
UnicodeString StripExtW(const UnicodeString& FileName);
UnicodeString ExpandFileNameW(const UnicodeString& FileName);
UnicodeString ExtractRemoteComputerW(const UnicodeString& UNCPath);
UnicodeString StripRemoteComputerW(const UnicodeString& UNCPath);
bool IsDriveW(const UnicodeString& Drive);
bool IsFloppyW(const UnicodeString& FileFolder);
bool IsFTPPath(const UnicodeString& Path);
bool IsUNCPath(const UnicodeString& Path);
bool DirExistsW(const UnicodeString& FileName);
bool DirExistsW(PCWideChar FileName);
bool FileExistsW(const UnicodeString& FileName);
bool CreateDirW(const UnicodeString& DirName);
HANDLE FileCreateW(const UnicodeString& FileName);
HANDLE WideFileCreate(const UnicodeString& FileName);
HANDLE WideFileOpen(const UnicodeString& FileName, uint32_t Mode);
bool DiskInDrive(char16_t Drive);
UnicodeString NewFolderNameW(const UnicodeString& ParentFolder,
                             const UnicodeString& SuggestedFolderName = {});
UnicodeString UniqueFileName(const UnicodeString& FilePath);
UnicodeString UniqueDirName(const UnicodeString& FilePath);
int64_t CalcuateFolderSize(const UnicodeString& FolderPath, bool Recurse);

// ---- painting and messages ------------------------------------------------------

class TFont;
class TCanvas;

enum TShortenStringEllipsis { sseEnd, sseFront, sseMiddle, sseFilePathMiddle };

// The pixel size of a text: in a font (measured on the screen), on a canvas
// (locked while measuring) or on a device context. Zero for an empty text or
// a missing font, canvas or context.
SIZE TextExtentW(const UnicodeString& Text, TFont* Font);
SIZE TextExtentW(const UnicodeString& Text, TCanvas* Canvas);
SIZE TextExtentW(PCWideChar Text, TCanvas* Canvas);
SIZE TextExtentW(PCWideChar Text, HDC DC);
// The extent, with a TrueType font's width the sum of every character's
// A + B + C widths (overhangs included).
SIZE TextTrueExtentsW(const UnicodeString& Text, HDC DC);
bool IsTextTrueType(HDC DC);
bool IsTextTrueType(TCanvas* Canvas);
// S shortened with "..." to fit Width pixels in the context's font; empty when
// S is empty or not even "..." fits. RightToLeft changes nothing.
UnicodeString ShortenStringEx(HDC DC, const UnicodeString& S, int Width, bool RightToLeft,
                              TShortenStringEllipsis EllipsisPlacement);
int MessageBoxWide(HWND Window, const UnicodeString& ACaption, const UnicodeString& AMessage,
                   UINT uType);
// A box with the warning icon and an OK button.
void ShowWideMessage(HWND Window, const UnicodeString& ACaption, const UnicodeString& AMessage);
// The system's folders; empty on failure.
UnicodeString SystemDirectory();
UnicodeString WindowsDirectory();

// ---- TWideStringList ---------------------------------------------------------

class TWideStringList;
using TWideStringListSortCompare = int (*)(TWideStringList* List, int Index1, int Index2);

struct TWideStringItem {
    UnicodeString FString;
    TObject* FObject = nullptr;
};

class TWideStringList : public TPersistent {
public:
    TWideStringList() = default;
    TWideStringList(const TWideStringList&) = delete;
    TWideStringList& operator=(const TWideStringList&) = delete;
    ~TWideStringList() override;

    void Assign(TPersistent* Source) override;
    // Also takes a framework string list, which is not persistent here.
    void Assign(TStrings* Source);
    void AssignTo(TStrings* Dest) const;

    virtual int Add(const UnicodeString& S);
    virtual int AddObject(const UnicodeString& S, TObject* AObject);
    virtual void AddStrings(TWideStringList* Strings);
    virtual void AddStrings(TStrings* Strings);
    virtual void Clear();
    virtual void CustomSort(TWideStringListSortCompare Compare);
    virtual void Delete(int Index);
    virtual void Exchange(int Index1, int Index2);
    virtual bool Find(const UnicodeString& S, int& Index);
    virtual int IndexOf(const UnicodeString& S);
    virtual void Insert(int Index, const UnicodeString& S);
    virtual void Sort();
    virtual void LoadFromFile(const UnicodeString& FileName);
    virtual void LoadFromStream(TStream* Stream);
    virtual void SaveToFile(const UnicodeString& FileName);
    virtual void SaveToStream(TStream* Stream);

    int IndexOfName(const UnicodeString& Name);
    int IndexOfObject(TObject* AObject);

    virtual int GetCount() const { return FCount; }
    virtual int GetCapacity() const { return FCapacity; }
    UnicodeString GetStrings(int Index) { return Get(Index); }
    void SetStrings(int Index, const UnicodeString& S) { Put(Index, S); }
    TObject* GetObjects(int Index) { return GetObject(Index); }
    void SetObjects(int Index, TObject* AObject) { PutObject(Index, AObject); }
    UnicodeString GetNames(int Index);
    UnicodeString GetValues(const UnicodeString& Name);
    void SetValues(const UnicodeString& Name, const UnicodeString& Value);
    UnicodeString GetValueFromIndex(int Index);
    void SetValueFromIndex(int Index, const UnicodeString& Value);
    UnicodeString GetText();
    void SetText(const UnicodeString& Value);
    UnicodeString GetCommaText();
    void SetCommaText(const UnicodeString& Value);
    bool GetSorted() const { return FSorted; }
    void SetSorted(bool Value);
    TDuplicates GetDuplicates() const { return FDuplicates; }
    void SetDuplicates(TDuplicates Value) { FDuplicates = Value; }
    bool GetOwnsObjects() const { return FOwnsObjects; }
    void SetOwnsObjects(bool Value) { FOwnsObjects = Value; }

    TNotifyEvent OnChange;
    TNotifyEvent OnChanging;

protected:
    virtual void Changed();
    virtual void Changing();
    virtual UnicodeString Get(int Index);
    virtual TObject* GetObject(int Index);
    virtual void Put(int Index, const UnicodeString& S);
    virtual void PutObject(int Index, TObject* AObject);
    virtual void SetCapacity(int NewCapacity);
    virtual void SetUpdateState(bool Updating);

private:
    [[noreturn]] void Error(const char16_t* Msg, int Data);
    void CheckIndex(int Index) const;
    void Grow();
    void InsertItem(int Index, const UnicodeString& S, TObject* AObject);
    void ExchangeItems(int Index1, int Index2);
    void QuickSort(int L, int R, TWideStringListSortCompare SCompare);

    std::vector<TWideStringItem> FList; // sized to FCapacity
    int FCount = 0;
    int FCapacity = 0;
    bool FSorted = false;
    TDuplicates FDuplicates = dupIgnore;
    bool FOwnsObjects = false;
};

// ---- TWideFileStream ----------------------------------------------------------

// A file stream opened by wide name. A mode with the create bits (0xFF00)
// creates the file; any other mode opens it. Failure raises EFCreateError.
class TWideFileStream : public THandleStream {
public:
    TWideFileStream(const UnicodeString& FileName, uint32_t Mode);
    ~TWideFileStream() override;
};

#pragma GCC visibility pop
