// Parameter files: saving the parameter mirror with a comment, and loading
// one back after the user confirmed it, then sending it to the drive.
#include "ParamFile.h"
#include "Unit1.h"
#include "Unit4.h"

#include <quorlpak/Dialogs.h>
#include <quorlpak/StdCtrls.h>
#include <runpak/Strings.h>
#include <win32/crt.h>

namespace {

// What Label4 of the confirmation dialog shows of a comment line.
constexpr size_t CommentLabelChars = 127;

} // namespace

void TForm4::Save1Click(TObject* Sender) {
    SaveDialog1->SetFilter(u"Text files (*.txt)|*.TXT");
    if (!SaveDialog1->Execute()) return;
    UnicodeString fileName = SaveDialog1->GetFileName();
    if (Pos(u".txt", fileName) == 0) fileName += u".txt";
    FILE* file = crt::_wfopen(fileName.c_str(), u"wt");
    if (!file) {
        ShowMessageBox(u"ファイルに保存できません、");
        return;
    }
    UnicodeString comment = Edit91->GetText();
    std::string line =
        ParamFile::CommentToShiftJis(comment.empty() ? UnicodeString(u"コメント無し") : comment);
    bool written = ParamFile::Write(file, line, ParamTable);
    if (std::fclose(file) != 0) written = false; // buffered lines reach the disk only here
    if (!written) {
        ShowMessageBox(u"ファイルに保存失敗");
        return;
    }
    ShowMessageBox(u"ファイルに保存しました");
}

void TForm4::Load1Click(TObject* Sender) {
    OpenDialog1->SetFilter(u"Text files (*.txt)|*.TXT");
    if (!OpenDialog1->Execute()) return;
    UnicodeString fileName = OpenDialog1->GetFileName();
    FILE* file = crt::_wfopen(fileName.c_str(), u"rt");
    if (!file) {
        ShowMessageBox(u"ファイルが開けません");
        return;
    }
    // The whole first line is the comment, however long: a long comment
    // must not spill into the values and shift them by one.
    std::string comment;
    if (!ParamFile::ReadLine(file, comment)) {
        ShowMessageBox(u"読み込み失敗");
        std::fclose(file);
        return;
    }
    Form1->Label2->SetCaption(fileName);
    Form1->Label4->SetCaption(ParamFile::CommentFromShiftJis(comment, CommentLabelChars));
    if (Form1->ShowModal() != mrYes) {
        std::fclose(file);
        return;
    }
    ParamFile::LoadValues(file, ParamTable, [this](int index) {
        if (index == PARAM_BAUD_CODE) BaudCodeKnown = true;
        EditWrite(index);
    });
    std::fclose(file);
    if (WriteParamAll(true) != 0) {
        ShowMessageBox(u"ドライバへの転送に失敗しました");
        return;
    }
    ReadParam();
    ShowMessageBox(u"ドライバへ転送しました。");
}
