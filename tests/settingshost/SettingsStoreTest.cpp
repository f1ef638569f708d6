#include <gtest/gtest.h>
#include <atomic>
#include <set>
#include <thread>
#include "app/workflow/SettingsInterface.h"
#include "tests/support/TestSupport.h"

using namespace Quorvane_ns;
using Base_ns::String_cl;

namespace {

// A product name of its own per test, so tests (and test programs running at
// the same time in the same Wine prefix) never see each other's values; the
// stored keys are removed afterwards.
class SettingsStoreTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        static std::atomic<unsigned> counter{0};
        m_name = L"QvSettingsTest-" + String_cl::FromUnsigned(GetCurrentProcessId()) + L"-" +
                 String_cl::FromUnsigned(counter++);
        DeleteStored(m_name);
        m_host.Open(m_name);
    }
    void TearDown() override
    {
        m_host.Close();
        DeleteStored(m_name);
        for (const String_cl& n : m_otherNames) DeleteStored(n);
    }

    static void DeleteStored(const String_cl& name)
    {
        RegDeleteTreeW(HKEY_CURRENT_USER, (L"Software\\" + name).c_str());
    }
    void Restart()
    {
        m_host.Close();
        m_host.Open(m_name);
    }
    String_cl OtherName(const wchar_t* suffix)
    {
        m_otherNames.push_back(m_name + suffix);
        DeleteStored(m_otherNames.back());
        return m_otherNames.back();
    }

    SettingsHost_cl m_host;
    String_cl m_name;
    std::vector<String_cl> m_otherNames;
};

const String_cl kVcDir = L"C:\\Program Files\\Microsoft Visual Studio 8\\VC\\";

} // namespace

TEST_F(SettingsStoreTest, ValuesSurviveCloseAndReopenUnderTheSameNameOnly)
{
    m_host.SetBool(kKeyRenameCompile, false);
    m_host.SetBool(kKeyAutoShutdown, true);
    m_host.SetString(kKeyVcDirectory, kVcDir);
    m_host.SetString(kKeyPlan, L"夜间构建");
    m_host.SetString(kKeySolutionColumns, L"");

    // A second object over the same library sees the same storage.
    SettingsHost_cl other;
    EXPECT_EQ(other.GetString(kKeyPlan, L"默认"), L"夜间构建");

    Restart();
    EXPECT_FALSE(m_host.GetBool(kKeyRenameCompile, true));
    EXPECT_TRUE(m_host.GetBool(kKeyAutoShutdown, false));
    EXPECT_EQ(m_host.GetString(kKeyVcDirectory, L""), kVcDir);
    EXPECT_EQ(m_host.GetString(kKeyPlan, L"默认"), L"夜间构建");
    // A stored empty text is a value, not a missing one.
    EXPECT_EQ(m_host.GetString(kKeySolutionColumns, L"30,70"), L"");

    // Kept where another process finds it, not only in the library's memory.
    wchar_t buf[200] = {};
    DWORD bytes = sizeof buf;
    ASSERT_EQ(RegGetValueW(HKEY_CURRENT_USER, (L"Software\\" + m_name + L"\\Settings").c_str(),
                           kKeyPlan, RRF_RT_REG_SZ, nullptr, buf, &bytes),
              ERROR_SUCCESS);
    EXPECT_STREQ(buf, L"夜间构建");

    m_host.Close();
    m_host.Open(OtherName(L"-other"));
    EXPECT_TRUE(m_host.GetBool(kKeyRenameCompile, true));
    EXPECT_EQ(m_host.GetString(kKeyPlan, L"默认"), L"默认");
    m_host.Close();
    m_host.Open(m_name);
    EXPECT_EQ(m_host.GetString(kKeyPlan, L"默认"), L"夜间构建");
}

TEST_F(SettingsStoreTest, DefaultsWhenNothingIsStored)
{
    EXPECT_TRUE(m_host.GetBool(kKeyRenameCompile, true));
    EXPECT_FALSE(m_host.GetBool(kKeyRenameCompile, false));
    EXPECT_EQ(m_host.GetString(kKeyPlan, L"默认"), L"默认");
    EXPECT_EQ(m_host.GetString(kKeyVcDirectory, L""), L"");
    // Overwriting replaces; a bool written later is read back as written.
    m_host.SetBool(kKeyStopOnError, false);
    m_host.SetBool(kKeyStopOnError, true);
    EXPECT_TRUE(m_host.GetBool(kKeyStopOnError, false));
}

TEST_F(SettingsStoreTest, ClosedStorageGivesDefaultsAndRefusesWrites)
{
    m_host.SetString(kKeyPlan, L"甲");
    m_host.Close();
    EXPECT_EQ(m_host.GetString(kKeyPlan, L"默认"), L"默认");
    EXPECT_TRUE(m_host.GetBool(kKeyAutoShutdown, true));
    EXPECT_FALSE(m_host.Custom()->SetString(kKeyPlan, L"乙"));
    EXPECT_FALSE(m_host.Recent()->AddRecord(kRecordConfigurations, L"Debug|Win32"));
    try {
        m_host.SetString(kKeyPlan, L"乙");
        FAIL() << "a lost setting must not pass silently";
    } catch (const Base_ns::Error_cl& e) {
        EXPECT_EQ(e.IsSystemError(), 1);
        EXPECT_EQ(e.Code(), 2);
        EXPECT_EQ(e.ClassName(), L"SettingsHost_cl");
        EXPECT_NE(e.Note().find(kKeyPlan), String_cl::npos);
    }
    m_host.Open(m_name);
    EXPECT_EQ(m_host.GetString(kKeyPlan, L"默认"), L"甲");
}

TEST_F(SettingsStoreTest, UnusableProductNamesAreRefused)
{
    for (const wchar_t* bad : {L"", L"Quorvane\\Settings", L"a/b", L"tab\tname"}) {
        try {
            m_host.Open(bad);
            ADD_FAILURE() << "opened " << String_cl(bad).ToUtf8();
        } catch (const Base_ns::Error_cl& e) {
            EXPECT_EQ(e.IsSystemError(), 1);
            EXPECT_EQ(e.Code(), 1);
            EXPECT_EQ(e.Message(), L"无法打开设置存储。");
        }
    }
    EXPECT_FALSE(m_host.Custom()->SetBool(kKeyAutoShutdown, true));
}

TEST_F(SettingsStoreTest, LongTextsComeBackWholeThroughCallerBuffers)
{
    String_cl longText;
    for (int i = 0; i < 600; ++i) longText += L"目录" + String_cl::FromInt(i) + L"\\";
    m_host.SetString(kKeyVcDirectory, longText);
    EXPECT_EQ(m_host.GetString(kKeyVcDirectory, L""), longText);

    // A buffer too small gets an empty text, never a cut one, and the size needed.
    wchar_t small[8];
    std::fill(std::begin(small), std::end(small), L'x');
    int needed = m_host.Custom()->GetString(kKeyVcDirectory, L"", small, 8);
    EXPECT_EQ(needed, longText.Length() + 1);
    EXPECT_EQ(small[0], L'\0');
    std::vector<wchar_t> exact(static_cast<size_t>(needed), L'x');
    EXPECT_EQ(m_host.Custom()->GetString(kKeyVcDirectory, L"", exact.data(), needed), needed);
    EXPECT_EQ(String_cl(exact.data()), longText);
}

TEST_F(SettingsStoreTest, RegisteredStringsGiveStoredValueElseRegisteredDefault)
{
    EXPECT_EQ(m_host.GetString(kKeySequenceFolder), L"");
    m_host.RegisterString(kKeySequenceFolder, L"D:\\序列");
    EXPECT_EQ(m_host.GetString(kKeySequenceFolder), L"D:\\序列");
    m_host.RegisterString(kKeySequenceFolder, L"E:\\序列");
    EXPECT_EQ(m_host.GetString(kKeySequenceFolder), L"E:\\序列");

    m_host.SetString(kKeySequenceFolder, L"C:\\工程\\序列文件");
    EXPECT_EQ(m_host.GetString(kKeySequenceFolder), L"C:\\工程\\序列文件");
    // Registering again declares a default; it does not overwrite a stored value.
    m_host.RegisterString(kKeySequenceFolder, L"F:\\");
    EXPECT_EQ(m_host.GetString(kKeySequenceFolder), L"C:\\工程\\序列文件");

    // Registrations belong to one opening; stored values outlive it.
    m_host.RegisterString(L"仅注册", L"注册值");
    Restart();
    EXPECT_EQ(m_host.GetString(L"仅注册"), L"");
    EXPECT_EQ(m_host.GetString(kKeySequenceFolder), L"C:\\工程\\序列文件");
}

TEST_F(SettingsStoreTest, RecentRecordsAreNewestFirstWithoutDuplicatesAndBounded)
{
    EXPECT_TRUE(m_host.GetRecords(kRecordConfigurations).empty());

    m_host.AddRecord(kRecordConfigurations, L"Debug|Win32");
    m_host.AddRecord(kRecordConfigurations, L"Release|Win32");
    m_host.AddRecord(kRecordConfigurations, L"发布|x64");
    EXPECT_EQ(m_host.GetRecords(kRecordConfigurations),
              (std::vector<String_cl>{L"发布|x64", L"Release|Win32", L"Debug|Win32"}));

    // A value used again moves to the front, spelled as it was used last.
    m_host.AddRecord(kRecordConfigurations, L"DEBUG|win32");
    EXPECT_EQ(m_host.GetRecords(kRecordConfigurations),
              (std::vector<String_cl>{L"DEBUG|win32", L"发布|x64", L"Release|Win32"}));
    // The newest again changes nothing; an empty value records nothing.
    m_host.AddRecord(kRecordConfigurations, L"debug|WIN32");
    m_host.AddRecord(kRecordConfigurations, L"");
    EXPECT_EQ(m_host.GetRecords(kRecordConfigurations),
              (std::vector<String_cl>{L"debug|WIN32", L"发布|x64", L"Release|Win32"}));

    // Keys are independent.
    m_host.AddRecord(kRecordLogPaths, L"C:\\日志\\批处理.log");
    EXPECT_EQ(m_host.GetRecords(kRecordLogPaths), (std::vector<String_cl>{L"C:\\日志\\批处理.log"}));
    EXPECT_EQ(m_host.GetRecords(kRecordConfigurations).size(), 3u);

    const int bound = m_host.Recent()->MaxRecords();
    EXPECT_EQ(bound, 20);
    for (int i = 0; i < bound + 5; ++i) {
        m_host.AddRecord(kRecordLogPaths, L"D:\\日志" + String_cl::FromInt(i) + L".log");
    }
    std::vector<String_cl> logs = m_host.GetRecords(kRecordLogPaths);
    ASSERT_EQ(static_cast<int>(logs.size()), bound);
    EXPECT_EQ(logs.front(), L"D:\\日志24.log");
    EXPECT_EQ(logs.back(), L"D:\\日志5.log");

    Restart();
    EXPECT_EQ(m_host.GetRecords(kRecordLogPaths), logs);
    EXPECT_EQ(m_host.GetRecords(kRecordConfigurations).front(), L"debug|WIN32");
}

TEST_F(SettingsStoreTest, RecordListLargerThanTheFirstBufferComesBackWhole)
{
    std::vector<String_cl> expected;
    for (int i = 0; i < 20; ++i) {
        String_cl v = L"E:\\很长的日志目录名称\\第" + String_cl::FromInt(i) + L"个\\编译日志.log";
        m_host.AddRecord(kRecordLogPaths, v);
        expected.insert(expected.begin(), v);
    }
    EXPECT_EQ(m_host.GetRecords(kRecordLogPaths), expected);
    wchar_t small[4] = {L'x', L'x', L'x', L'x'};
    EXPECT_GT(m_host.Recent()->GetRecords(kRecordLogPaths, small, 4), 4);
    EXPECT_EQ(small[0], L'\0');
    EXPECT_EQ(small[1], L'\0');
}

TEST_F(SettingsStoreTest, ConcurrentWritersLeaveWholeConsistentValues)
{
    const int threads = 4;
    const int rounds = 150;
    const String_cl shared = L"共享";
    std::atomic<bool> torn{false};
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t) {
        workers.emplace_back([&, t] {
            String_cl own = L"线程" + String_cl::FromInt(t);
            for (int i = 0; i < rounds; ++i) {
                String_cl v = own + L"-值-" + String_cl::FromInt(i);
                m_host.SetString(own, v);
                m_host.SetString(shared, v);
                String_cl seen = m_host.GetString(shared, L"无");
                if (seen.find(L"-值-") == String_cl::npos) torn = true;
                if (i < 5) m_host.AddRecord(kRecordConfigurations, own + L"|" + String_cl::FromInt(i));
            }
        });
    }
    for (std::thread& w : workers) w.join();

    EXPECT_FALSE(torn.load());
    std::set<String_cl> finals;
    for (int t = 0; t < threads; ++t) {
        String_cl own = L"线程" + String_cl::FromInt(t);
        String_cl last = own + L"-值-" + String_cl::FromInt(rounds - 1);
        EXPECT_EQ(m_host.GetString(own, L""), last);
        finals.insert(last);
    }
    // The shared key holds the last value of one of the writers.
    EXPECT_EQ(finals.count(m_host.GetString(shared, L"")), 1u);

    // Every one of the 4 x 5 distinct records made it: no update was lost.
    std::vector<String_cl> records = m_host.GetRecords(kRecordConfigurations);
    std::set<String_cl> distinct(records.begin(), records.end());
    EXPECT_EQ(records.size(), 20u);
    EXPECT_EQ(distinct.size(), 20u);
    for (int t = 0; t < threads; ++t) {
        EXPECT_EQ(distinct.count(L"线程" + String_cl::FromInt(t) + L"|4"), 1u);
    }
}

TEST(SettingsHostLoadTest, MissingLibraryIsAUserErrorNamingThePath)
{
    Test_ns::TempDir_cl empty(L"qvsettings");
    try {
        SettingsHost_cl host(empty.Path());
        FAIL() << "loaded a library from an empty folder";
    } catch (const Base_ns::Error_cl& e) {
        EXPECT_EQ(e.IsSystemError(), 0);
        EXPECT_EQ(e.Code(), 101);
        EXPECT_EQ(e.ClassName(), L"SettingsHost_cl");
        EXPECT_EQ(e.Message(), L"找不到设置库 SettingsHost.dll，请重新安装程序。");
        EXPECT_NE(e.Note().find(empty.Path() + L"SettingsHost.dll"), String_cl::npos);
    }
}

TEST(SettingsHostLoadTest, DefaultLoadTakesTheLibraryBesideTheProgram)
{
    SettingsHost_cl host;
    EXPECT_TRUE(Base_ns::EqualsNoCase(host.LibraryPath(), Test_ns::ExeDirectory() + L"SettingsHost.dll"));
    EXPECT_NE(host.Custom(), nullptr);
    EXPECT_NE(host.Recent(), nullptr);
    EXPECT_NE(host.Communication(), nullptr);
    // The library's objects are the same however often they are fetched.
    SettingsHost_cl again(Test_ns::ExeDirectory());
    EXPECT_EQ(again.Custom(), host.Custom());
    EXPECT_EQ(again.Communication(), host.Communication());
}
