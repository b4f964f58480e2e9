// Component streaming: TFiler, TReader and TWriter over the published-property
// registry (TypeInfo.h), and the text form of a component tree that they read
// and write, in which forms and their controls are described as data.
//
// The form-description text
// -------------------------
// A description holds one component, its properties and, nested inside it,
// the components it contains:
//
//   # A comment runs to the end of the line.
//   TSetupForm SetupForm {
//       Caption = "軸の設定 \"A\""
//       Width = 640
//       Ratio = 1.25
//       Visible = true
//       Kind = dkFlat
//       Style = [fsBold, fsItalic]
//       Buddy = SpeedEdit                  # a component, by name
//       OnShow = FormShow                  # a published method of the root
//       Font = { Size = 10  Name = "Tahoma" }
//       Font.Color = 255                   # the same object, by a path
//       Columns = ({ Width = 80 }, { Width = 120, Text = "速度" })
//       Glyph = <89504E47 0D0A1A0A>        # bytes, in hex
//       TEdit SpeedEdit {
//           Text = "1500"
//       }
//   }
//
// Grammar (blanks, line ends and comments separate tokens and are otherwise
// ignored; keywords and identifiers compare without regard to case):
//
//   description := component
//   component   := ClassName [ComponentName] "{" { property | component } "}"
//   property    := path "=" value
//   path        := ident { "." ident }
//   value       := integer | float | string | "true" | "false" | "nil"
//                | path                            identifier or component name
//                | "[" [ ident { "," ident } [","] ] "]"       set
//                | "(" [ value { "," value } [","] ] ")"      list; of blocks: collection
//                | "{" { property } "}"                       block: a nested object
//                | "<" { hex digit pair, blanks allowed } ">" binary data
//   integer     := ["-"] digits | ["-"] "0x" hexdigits
//   float       := ["-"] digits "." digits [exponent] | ["-"] digits exponent
//                | "inf" | "-inf" | "nan"
//   string      := '"' { character | escape } '"'      UTF-16 text, any character
//   escape      := \" \\ \n \r \t \uXXXX (one UTF-16 code unit, four hex digits)
//   ident       := letter or "_", then letters, digits or "_"
//
// Properties are applied in the order written, before the components nested
// in the same block. A class property takes a block (its object's
// properties), a list of blocks (a collection's items), nil, or the name of a
// component: a component of the root, the root itself, "Owner.Name" paths
// through owned components, or a component another form publishes (see
// RegisterFindGlobalComponent). A property a class defines with
// DefineProperties takes exactly one value (a list holds several).
#pragma once
#pragma GCC visibility push(default)

#include <runpak/Collection.h>
#include <runpak/Component.h>
#include <runpak/Exceptions.h>
#include <runpak/Streams.h>
#include <runpak/TypeInfo.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace runpak {
struct TextDocument;
struct TextObject;
struct TextProperty;
struct TextValue;
} // namespace runpak

// Malformed description text: "<what> on line L, column C".
class EParserError : public Exception {
public:
    EParserError(const UnicodeString& What, int Line, int Column);
    int GetLine() const { return FLine; }
    int GetColumn() const { return FColumn; }

private:
    int FLine;
    int FColumn;
};

// What NextValue sees next. Integers report the smallest type that holds
// them; strings report vaString when they are ASCII and vaWString
// otherwise; a list of blocks is a collection. A block reports vaNull, and
// so does the end of a list.
enum TValueType {
    vaNull,
    vaList,
    vaInt8,
    vaInt16,
    vaInt32,
    vaExtended,
    vaString,
    vaIdent,
    vaFalse,
    vaTrue,
    vaBinary,
    vaSet,
    vaLString,
    vaNil,
    vaCollection,
    vaSingle,
    vaCurrency,
    vaDate,
    vaWString,
    vaInt64,
    vaUTF8String,
    vaDouble
};

class TReader;
class TWriter;
using TReaderProc = std::function<void(TReader* Reader)>;
using TWriterProc = std::function<void(TWriter* Writer)>;
using TStreamProc = std::function<void(TStream* Stream)>;

// What the reader and the writer share: the root being streamed, the object
// compared against when writing a descendant, and the hooks of DefineProperties.
class TFiler : public TObject {
public:
    TComponent* GetRoot() const { return FRoot; }
    virtual void SetRoot(TComponent* Value) { FRoot = Value; }
    // The component whose names references and methods are looked up in.
    TComponent* GetLookupRoot() const { return FLookupRoot; }
    // When writing a descendant, the object the current one is compared
    // with: only what differs from it is written. Null otherwise.
    TPersistent* GetAncestor() const { return FAncestor; }
    void SetAncestor(TPersistent* Value) { FAncestor = Value; }
    bool GetIgnoreChildren() const { return FIgnoreChildren; }
    void SetIgnoreChildren(bool Value) { FIgnoreChildren = Value; }

    // Called from DefineProperties: streams Name through the procedures.
    // The writer writes only when HasData; the reader calls ReadData when the
    // text holds Name.
    virtual void DefineProperty(const UnicodeString& Name, TReaderProc ReadData,
                                TWriterProc WriteData, bool HasData) = 0;
    // As DefineProperty, for bytes: ReadData gets a stream over the bytes
    // read, WriteData fills an empty stream.
    virtual void DefineBinaryProperty(const UnicodeString& Name, TStreamProc ReadData,
                                      TStreamProc WriteData, bool HasData) = 0;
    // The writer writes what it holds to its stream.
    virtual void FlushBuffer() {}

protected:
    TComponent* FRoot = nullptr;
    TComponent* FLookupRoot = nullptr;
    TPersistent* FAncestor = nullptr;
    bool FIgnoreChildren = false;
};

// --- Reading --------------------------------------------------------------------

using TReaderError =
    std::function<void(TReader* Reader, const UnicodeString& Message, bool& Handled)>;
using TFindMethodEvent = std::function<void(TReader* Reader, const UnicodeString& MethodName,
                                            TMethodValue& Method, bool& Error)>;
using TSetNameEvent =
    std::function<void(TReader* Reader, TComponent* Component, UnicodeString& Name)>;
using TCreateComponentEvent =
    std::function<void(TReader* Reader, TClass ComponentClass, TComponent*& Component)>;
using TFindComponentClassEvent =
    std::function<void(TReader* Reader, const UnicodeString& ClassName, TClass& ComponentClass)>;

// Reads a description and builds the components it describes. Every
// component read is csLoading (and csReading while its own block is read);
// once the whole tree is read, references are resolved and each component's
// Loaded runs, in the order the components were read (root first). When
// reading fails, the components it created are freed.
class TReader : public TFiler {
public:
    // Reads the description from the stream's position to its end (UTF-8,
    // with or without a byte-order mark).
    explicit TReader(TStream* Stream, int BufSize = 4096);
    explicit TReader(const UnicodeString& Text);
    ~TReader() override;

    // Reads the description into Root, or into a new component of the
    // described class (registered with RegisterClass) when Root is null.
    // Root's class must be the described class or descend from it. The root
    // takes the described name, made unique among its owner's components.
    TComponent* ReadRootComponent(TComponent* Root);
    // Reads the next component of the current block (null when there is
    // none left) with Owner and Parent as the reader has them. A component
    // of that name the owner already has, of a fitting class, is read into
    // instead of creating one.
    TComponent* ReadComponent(TComponent* Component);
    // The properties and nested components of the current block into
    // Instance (what TComponent::ReadState runs).
    void ReadData(TComponent* Instance);
    // Reads the current block's properties into Instance.
    void ReadProperties(TPersistent* Instance);
    // Reads the items of a collection value (as ReadValue left it) into
    // Collection, replacing its items.
    void ReadCollection(TCollection* Collection);

    // Reading values by hand, in DefineProperties' read procedures.
    TValueType NextValue();
    // Enters a list or collection; any other value is skipped. Answers the type.
    TValueType ReadValue();
    void SkipValue();
    bool EndOfList();
    void ReadListBegin();
    void ReadListEnd();
    int ReadInteger();
    int64_t ReadInt64();
    bool ReadBoolean();
    char16_t ReadChar();
    long double ReadFloat();
    double ReadDouble();
    float ReadSingle();
    UnicodeString ReadString();
    UnicodeString ReadWideString() { return ReadString(); }
    UnicodeString ReadUnicodeString() { return ReadString(); }
    // An identifier; true, false, nil read as "True", "False", "nil".
    UnicodeString ReadIdent();
    // A set of SetType's enumeration, as its bit mask.
    int64_t ReadSet(PTypeInfo SetType);
    // The element names of a set value, as written.
    std::vector<UnicodeString> ReadSetNames();
    TBytes ReadBinary();

    // The component the components being read are given as parent, and their owner.
    TComponent* GetParent() const { return FParent; }
    void SetParent(TComponent* Value) { FParent = Value; }
    TComponent* GetOwner() const { return FOwner; }
    void SetOwner(TComponent* Value) { FOwner = Value; }

    void DefineProperty(const UnicodeString& Name, TReaderProc ReadData, TWriterProc WriteData,
                        bool HasData) override;
    void DefineBinaryProperty(const UnicodeString& Name, TStreamProc ReadData,
                              TStreamProc WriteData, bool HasData) override;

    // Told of each error in the values read ("Error reading Button1.Foo:
    // Property Foo does not exist"); setting Handled skips the property
    // instead of raising EReadError.
    TReaderError OnError;
    // Asked when the root publishes no method of that name, or to replace
    // the one found; clearing Error accepts Method.
    TFindMethodEvent OnFindMethod;
    TSetNameEvent OnSetName;
    // May make the component instead of the class's factory.
    TCreateComponentEvent OnCreateComponent;
    // Asked for a class name the registry does not know.
    TFindComponentClassEvent OnFindComponentClass;

private:
    struct Frame;
    struct Fixup;

    void Parse();
    TComponent* ReadComponentNode(const runpak::TextObject& node, TComponent* component);
    void ReadPropertyList(TPersistent* Instance, const std::vector<runpak::TextProperty>& props);
    void ReadProperty(TPersistent* Instance, const runpak::TextProperty& prop);
    void ReadDefinedProperty(TPersistent* Instance, const UnicodeString& name,
                             const runpak::TextValue& value);
    void ApplyValue(TPersistent* Instance, PPropInfo prop, const runpak::TextValue& value);
    void ReadItems(TCollection* Collection, const runpak::TextValue& list);
    TMethodValue FindMethod(const UnicodeString& name);
    TComponent* FindReference(const UnicodeString& path) const;
    void ResolveFixups();
    void CallLoaded();
    void Abandon(TComponent* createdRoot);
    UnicodeString ErrorContext(const UnicodeString& propPath) const;
    void HandleError(const UnicodeString& message);
    const runpak::TextValue& Peek();
    const runpak::TextValue& Take();
    [[noreturn]] void ValueError();

    UnicodeString FText;
    std::unique_ptr<runpak::TextDocument> FDocument;
    std::vector<const runpak::TextObject*> FNodes; // the blocks being read
    std::vector<Frame> FFrames;                    // values being read by hand
    std::vector<Fixup> FFixups;
    std::vector<TComponent*> FLoaded;
    std::vector<TComponent*> FCreated;
    std::vector<size_t> FNextChild;
    TComponent* FOwner = nullptr;
    TComponent* FParent = nullptr;
    TComponent* FCurrent = nullptr; // the component whose block is read
    UnicodeString FPathPrefix;      // of nested objects, for error messages
    UnicodeString FPropName;        // the property DefineProperty looks for
    const runpak::TextValue* FPropValue = nullptr;
    bool FPropFound = false;
};

// --- Writing --------------------------------------------------------------------

using TFindMethodNameEvent =
    std::function<void(TWriter* Writer, const TMethodValue& Method, UnicodeString& Name)>;

// Writes a component tree as description text: the published properties
// that are stored and differ from their defaults (or, for a descendant, from
// the ancestor), DefineProperties data, and the children GetChildren lists.
class TWriter : public TFiler {
public:
    // The text goes to Stream in UTF-8 when flushed (at the end of each
    // root written, and when the writer goes).
    explicit TWriter(TStream* Stream, int BufSize = 4096);
    ~TWriter() override;

    void WriteRootComponent(TComponent* Root);
    // Writes Root with only what differs from Ancestor (an instance of an
    // ancestor class, or null for everything).
    void WriteDescendent(TComponent* Root, TComponent* Ancestor);
    void WriteComponent(TComponent* Component);
    // Properties and children of Instance (what TComponent::WriteState runs).
    void WriteData(TComponent* Instance);
    void WriteProperties(TPersistent* Instance);
    void WriteCollection(TCollection* Value);

    // Writing values by hand, in DefineProperties' write procedures.
    void WriteListBegin();
    void WriteListEnd();
    void WriteInteger(int64_t Value);
    void WriteBoolean(bool Value);
    void WriteChar(char16_t Value);
    void WriteFloat(long double Value);
    void WriteDouble(double Value);
    void WriteSingle(float Value);
    void WriteString(const UnicodeString& Value);
    void WriteWideString(const UnicodeString& Value) { WriteString(Value); }
    void WriteUnicodeString(const UnicodeString& Value) { WriteString(Value); }
    // EWriteError for text that is not an identifier.
    void WriteIdent(const UnicodeString& Value);
    void WriteSet(PTypeInfo SetType, int64_t Value);
    void WriteBinary(const TBytes& Value);
    void WriteNil();

    void DefineProperty(const UnicodeString& Name, TReaderProc ReadData, TWriterProc WriteData,
                        bool HasData) override;
    void DefineBinaryProperty(const UnicodeString& Name, TStreamProc ReadData,
                              TStreamProc WriteData, bool HasData) override;
    void FlushBuffer() override;

    // Names a handler that is no published method of the root.
    TFindMethodNameEvent OnFindMethodName;

private:
    struct Context;

    void WriteProperty(TPersistent* Instance, PPropInfo prop, TPersistent* ancestor);
    void WriteObjectProperty(TPersistent* Instance, PPropInfo prop, TPersistent* ancestor);
    TPersistent* AncestorFor(TPersistent* Instance) const;
    size_t BeginProperty(const UnicodeString& name);
    void EndProperty(size_t mark);
    void BeginValue();
    void Raw(const UnicodeString& text);
    void NewLine();
    UnicodeString ReferenceName(TComponent* Component) const;
    UnicodeString MethodName(const TMethodValue& method);

    TStream* FStream;
    UnicodeString FText;
    std::vector<Context> FContexts; // the property and the lists being written
    TComponent* FRootAncestor = nullptr;
    int FIndent = 0;
};

// --- Convenience ------------------------------------------------------------------

// The component described by Text: read into Root, or a new, unowned
// component of the described class when Root is null. Answers the component.
TComponent* ObjectTextToComponent(const UnicodeString& Text, TComponent* Root = nullptr);
// The description of Component and everything it streams.
UnicodeString ComponentToObjectText(TComponent* Component);
// What forms run at creation: reads Text into Root.
void LoadComponentFromText(TComponent* Root, const UnicodeString& Text);
// Streams in the framework's manner: the description read from (or written
// to) Stream's position.
TComponent* ReadComponentFromStream(TStream* Stream, TComponent* Instance);
void WriteComponentToStream(TStream* Stream, TComponent* Instance);

// Descriptions of classes, by class name: start-up functions register the
// descriptions of their forms, and a form's constructor loads them.
void RegisterComponentText(const UnicodeString& ClassName, const UnicodeString& Text);
void UnRegisterComponentText(const UnicodeString& ClassName);
bool HasComponentText(const UnicodeString& ClassName);
// Reads into Instance the registered description of each class from the one
// below RootAncestor down to Instance's own, ancestors first. Answers whether
// any was found.
bool InitInheritedComponent(TComponent* Instance, TClass RootAncestor);

// Components that other forms' references may name ("Form2.Button1"): the
// form manager registers a finder of top-level components by name.
using TFindGlobalComponent = std::function<TComponent*(const UnicodeString& Name)>;
int RegisterFindGlobalComponent(TFindGlobalComponent Finder); // answers a cookie
void UnregisterFindGlobalComponent(int Cookie);
TComponent* FindGlobalComponent(const UnicodeString& Name);

#pragma GCC visibility pop
