#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "core/MiniLogHelper.h"
#include "core/UpdateHelper.h"
#include "support/UpdateAnswer.h"
#include "support/LocalSite.h"
#include "support/ModalWatcher.h"
#include "support/OpenedLog.h"

namespace {

std::string Answer(const std::string& head, const std::string& body)
{
    return "HTTP/1.1 " + head + "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

class VersionFromSite : public ::testing::Test {
protected:
    void SetUp() override { UpdateTimeoutMs = 1000; }
    void TearDown() override { UpdateTimeoutMs = 5000; }
};

TEST_F(VersionFromSite, PublishedVersionsAndWhatTheyMeanAgainst15)
{
    struct Case {
        const char* name;
        std::string response;
        std::wstring version; // as the record keeps it
        bool newer;
        int32_t major, minor, patch;
    } const cases[] = {
        {"Patch", Answer("200 OK", "1.5.1"), L"1.5.1", true, 1, 5, 1},
        {"Same", Answer("200 OK", "1.5"), L"1.5", false, 1, 5, 0},
        {"MinorWithLineBreak", Answer("200 OK", "1.6.0\r\n"), L"1.6.0\r\n", true, 1, 6, 0},
        {"PatchWithLineBreak", Answer("200 OK", "1.5.1\r\n"), L"1.5.1\r\n", false, 1, 5, 0},
        {"MajorOnly", Answer("200 OK", "2"), L"2", true, 2, 0, 0},
        {"NumbersNotText", Answer("200 OK", "1.10.0"), L"1.10.0", true, 1, 10, 0},
        {"FourthPartIgnored", Answer("200 OK", "1.6.0.7"), L"1.6.0.7", true, 1, 6, 0},
        {"LeadingSpaces", Answer("200 OK", " 1. 6. 0"), L" 1. 6. 0", true, 1, 6, 0},
        {"Moved", "HTTP/1.1 301 Moved Permanently\r\nLocation: http://127.0.0.1/\r\n\r\n", L"1.5", false, 1, 5, 0},
        {"NotFound", Answer("404 Not Found", "9.9.9"), L"1.5", false, 1, 5, 0},
        {"Chunked", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n2\r\n1.\r\n3\r\n7.2\r\n0\r\n\r\n", L"1.7.2",
         true, 1, 7, 2},
        {"UntilClose", "HTTP/1.1 200 OK\r\n\r\n1.8", L"1.8", true, 1, 8, 0},
        {"Utf8Charset",
         "HTTP/1.1 200 OK\r\nContent-Type: text/plain; charset=utf-8\r\nContent-Length: 9\r\n\r\n"
         "1.9 \xC3\xA9t\xC3\xA9",
         L"1.9 \u00e9t\u00e9", false, 1, 0, 0}, // "9 été" is no number
        {"Latin1WithoutCharset", "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nContent-Length: 4\r\n\r\n2.0\xE9",
         L"2.0\u00e9", true, 2, 0, 0},
        {"BadUtf8FailsTheRequest", "HTTP/1.1 200 OK\r\nContent-Type: text/plain; charset=utf-8\r\n\r\n9.\xE9", L"1.5",
         false, 1, 5, 0},
        {"PastTheCap", Answer("200 OK", "9." + std::string(70000, '0')), L"1.5", false, 1, 5, 0},
        {"CutShort", "HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\n9.9", L"1.5", false, 1, 5, 0},
        {"ErrorPageAs200", Answer("200 OK", "<html>oops</html>"), L"<html>oops</html>", false, 0, 0, 0},
    };
    for (const auto& c : cases) {
        LocalSite site(c.response);
        ASSERT_TRUE(site.Listening());
        TVersion record;
        GetVersionFromSite(site.Url() + L"zarvi.latest", L"1.5", record);
        EXPECT_EQ(record.Version, c.version) << c.name;
        EXPECT_EQ(record.NewVersion, c.newer) << c.name;
        EXPECT_EQ(record.Major, c.major) << c.name;
        EXPECT_EQ(record.Minor, c.minor) << c.name;
        EXPECT_EQ(record.Patch, c.patch) << c.name;
    }
}

TEST_F(VersionFromSite, RequestOnTheWireIsExactlyTheGetAndItsThreeHeaders)
{
    LocalSite site(Answer("200 OK", "1.5"));
    TVersion record;
    GetVersionFromSite(site.Url() + L"zarvi.latest", L"1.5", record);
    EXPECT_EQ(site.FirstRequest(), "GET /zarvi.latest HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(site.Port()) +
                                       "\r\nAccept: text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8"
                                       "\r\nUser-Agent: Zarvi/1.5\r\n\r\n");
    EXPECT_EQ(site.Connections(), 1);
}

TEST_F(VersionFromSite, NoAnswerEndsAtTheTimeOutAndARefusedConnectionAtOnce)
{
    LocalSite silent("", LocalSite::Mode::NeverAnswer);
    TVersion record;
    const ULONGLONG start = ::GetTickCount64();
    GetVersionFromSite(silent.Url() + L"zarvi.latest", L"1.5", record);
    EXPECT_LT(::GetTickCount64() - start, 10'000u) << "the check must end by itself";
    EXPECT_EQ(record.Version, L"1.5");
    EXPECT_FALSE(record.NewVersion);

    const std::wstring closed = L"http://127.0.0.1:" + std::to_wstring(LocalSite::ClosedPort()) + L"/zarvi.latest";
    GetVersionFromSite(closed, L"1.5", record);
    EXPECT_EQ(record.Version, L"1.5");
    EXPECT_FALSE(record.NewVersion);

    // A build without a site asks no host: the address is not even one.
    GetVersionFromSite(L"zarvi.latest", L"1.5", record);
    EXPECT_EQ(record.Version, L"1.5");
}

// The whole check, with this test program as the application: its version block says 1.0.
class UpdateQuestion : public ::testing::Test {
protected:
    void SetUp() override
    {
        LogText.clear();
        opened::Clear();
        savedSite = SiteUrl;
        SiteUrl = site.Url();
    }
    void TearDown() override { SiteUrl = savedSite; }
    void Check()
    {
        ASSERT_TRUE(UpdateCheck());
        EXPECT_TRUE(target.WaitForAnswer());
    }

    LocalSite site{Answer("200 OK", "1.6.0")};
    std::wstring savedSite;
    AnswerTarget target;
};

TEST_F(UpdateQuestion, NewerVersionIsOfferedAndYesOpensTheDownloadPage)
{
    ModalWatcher watcher(L"Yes");
    Check();
    const auto& box = watcher.Seen();
    ASSERT_TRUE(box.has_value()) << "no question";
    EXPECT_EQ(box->caption, L"Confirm");
    EXPECT_EQ(box->text, L"New version found at site : 1.6.0?");
    EXPECT_EQ(box->buttons, (std::vector<std::wstring>{L"Yes", L"No", L"Cancel"}));
    EXPECT_TRUE(box->hasIcon);
    EXPECT_EQ(watcher.DefaultId(), IDNO);
    EXPECT_EQ(watcher.Owner(), nullptr) << "with no settings window open, the question is owned by nothing";
    EXPECT_EQ(opened::WaitForPaths(1), std::vector<std::wstring>{site.Url() + L"#download"});
    EXPECT_NE(LogText.find(L"# - App version: 1.0\r\n"), std::wstring::npos) << testing::PrintToString(LogText);
    EXPECT_NE(LogText.find(L"# - Version found on site: 1.6.0"), std::wstring::npos);
}

TEST_F(UpdateQuestion, NoAndCancelOpenNothing)
{
    for (const wchar_t* answer : {L"No", L"Cancel"}) {
        ModalWatcher watcher(answer);
        Check();
        ASSERT_TRUE(watcher.Seen().has_value());
    }
    EXPECT_FALSE(probe::WaitUntil([] { return !opened::Paths().empty(); }, 1000));
}

// A site that accepts and never answers holds nothing of the caller's: the check returns at
// once, a second one joins it, and the answer comes as a message once the time-out has passed.
TEST(UpdateCheckThread, TheRequestNeverHoldsTheCallerAndItsAnswerComesAsAMessage)
{
    LocalSite silent("", LocalSite::Mode::NeverAnswer);
    const std::wstring saved = SiteUrl;
    SiteUrl = silent.Url();
    UpdateTimeoutMs = 1500;
    LogText.clear();
    AnswerTarget target;
    const ULONGLONG start = ::GetTickCount64();
    EXPECT_TRUE(UpdateCheck());
    EXPECT_LT(::GetTickCount64() - start, 500u) << "the caller waited for the site";
    EXPECT_TRUE(UpdateCheckRunning());
    EXPECT_FALSE(UpdateCheck()) << "a check while one runs starts another request";
    EXPECT_TRUE(probe::WaitUntil([&] { return silent.Connections() > 0; }, 5000));
    EXPECT_EQ(LogText.find(L"Version found on site"), std::wstring::npos) << "logged before the answer came";
    EXPECT_TRUE(target.WaitForAnswer());
    EXPECT_GE(::GetTickCount64() - start + 100, 1500u);
    SiteUrl = saved;
    UpdateTimeoutMs = 5000;
    EXPECT_EQ(AnswerTarget::answers, 1);
    EXPECT_EQ(silent.Connections(), 1);
    EXPECT_NE(LogText.find(L"# - Version found on site: 1.0"), std::wstring::npos) << testing::PrintToString(LogText);
    EXPECT_FALSE(probe::FindMessageBox(::GetCurrentProcessId()).has_value());
}

TEST(UpdateCheckWithoutSite, LogsTheAppVersionAsFoundAndAsksNothing)
{
    LogText.clear();
    const std::wstring saved = SiteUrl;
    SiteUrl = L"";
    {
        AnswerTarget target;
        ASSERT_TRUE(UpdateCheck());
        EXPECT_TRUE(target.WaitForAnswer());
    }
    SiteUrl = saved;
    EXPECT_NE(LogText.find(L"# - Version found on site: "), std::wstring::npos);
    EXPECT_FALSE(probe::FindMessageBox(::GetCurrentProcessId()).has_value());
}

} // namespace
