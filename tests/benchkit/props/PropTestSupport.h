// Helpers shared by the property-set tests: a fixed locale, a set kept in
// memory, Windows names of real files, and a link that records what it hears.
#pragma once

#include "benchkit/props/IDERegIniPropSet.h"

#include <runpak/FormatSettings.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

// Every test of the fields runs on these settings, whatever the machine's.
class FixedLocale : public testing::Test {
protected:
    void SetUp() override {
        saved_ = FormatSettings();
        TFormatSettings& fs = FormatSettings();
        fs = TFormatSettings();
        fs.DecimalSeparator = u'.';
        fs.ThousandSeparator = u',';
        fs.CurrencyString = u"$";
        fs.CurrencyFormat = 0;
        fs.NegCurrFormat = 1;
        fs.CurrencyDecimals = 2;
        fs.DateSeparator = u'-';
        fs.ShortDateFormat = u"yyyy-mm-dd";
        fs.LongTimeFormat = u"hh:nn:ss";
        fs.TimeSeparator = u':';
    }
    void TearDown() override { FormatSettings() = saved_; }

private:
    TFormatSettings saved_;
};

// A real folder below the test process's private configuration folder.
class PropTempFolder {
public:
    PropTempFolder() {
        std::string base = std::string(std::getenv("WINLAYER_HOME")) + "/props-XXXXXX";
        linux_ = mkdtemp(base.data());
    }
    ~PropTempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(linux_, ignored);
    }
    std::string Linux(const std::string& name) const { return linux_ + "/" + name; }
    // The Windows name: drive C: is the Linux root.
    UnicodeString Windows(const std::string& name) const {
        std::string path = Linux(name);
        UnicodeString out = u"C:";
        for (char c : path)
            out += c == '/' ? u'\\' : char16_t(c);
        return out;
    }

private:
    std::string linux_;
};

// One heard event: which link, what, and the info.
struct THeard {
    int Link;
    TPropEvent Event;
    void* Info;
    bool operator==(const THeard&) const = default;
};

// A link that writes down every event it is given.
class TRecordingLink : public TPropLink {
public:
    TRecordingLink(int id, std::vector<THeard>* log) : FId(id), FLog(log) {}
    void DataEvent(TPropEvent Event, void* Info) override {
        FLog->push_back({FId, Event, Info});
        if (OnEvent) OnEvent(Event);
        TPropLink::DataEvent(Event, Info);
    }
    std::function<void(TPropEvent)> OnEvent;

private:
    int FId;
    std::vector<THeard>* FLog;
};
