// The history page driven by messages on a sequence the engine filled:
// import and export, deletion with its questions, and a running job.
#include <filesystem>
#include <fstream>
#include "app/res/resource.h"
#include "app/ui/WHistoryPage.h"
#include "tests/support/FileSpellings.h"
#include "tests/ui/PageTestSupport.h"

using namespace PageTest_ns;

namespace {

using HistoryPage = Shown_tl<WHistoryPage_cl>;
class HistoryPageTest : public PageTest {};

const wchar_t kWarning[] = L"删除工程序列会导致之前记录的工程编译顺序丢失，你确定吗？";
const wchar_t kInUse[] = L"选中工程还在使用，无法删除。";

std::vector<String_cl> Texts(const std::vector<Test_ns::Shown_st>& shown)
{
    std::vector<String_cl> texts;
    for (const auto& s : shown) texts.push_back(s.text);
    return texts;
}

} // namespace

TEST_F(HistoryPageTest, ExportThenImportReproducesTheOrderAndRemembersTheFolder)
{
    ScriptedChooser_cl chooser;
    for (const wchar_t* name : {L"a", L"b", L"c"}) AddRow(name);
    HistoryPage p(m_main, m_stores, m_settings);
    const HWND list = p.Item(IDC_SEQUENCE_LIST);
    EXPECT_EQ(Column(list, 0), (std::vector<String_cl>{L"a", L"b", L"c"}));
    EXPECT_EQ(Column(list, 1), SequencePaths());

    const String_cl file = m_dir / L"序列.txt";
    chooser.answer = file;
    Test_ns::ClickButton(p.hwnd, IDC_EXPORT_SEQUENCE);
    m_stores.sequences.MoveBefore(m_stores.sequences.Last(), m_stores.sequences.First());
    m_settings.SendToWindow(PAGE_HISTORY, UM_REFRESH, 0);
    EXPECT_EQ(Column(list, 0), (std::vector<String_cl>{L"c", L"a", L"b"}));

    Test_ns::ClickButton(p.hwnd, IDC_IMPORT_SEQUENCE);
    EXPECT_EQ(Column(list, 0), (std::vector<String_cl>{L"a", L"b", L"c"}));
    EXPECT_EQ(chooser.folders, (std::vector<String_cl>{L"", m_dir.Path().substr(0, m_dir.Path().size() - 1)}));
    EXPECT_TRUE(m_presenter.Shown().empty());

    // An export over the program's own data file would cost every plan at the next start.
    const auto contents = [] {
        std::ifstream in(std::filesystem::path(DataFilePath().c_str()), std::ios::binary);
        return in ? std::string(std::istreambuf_iterator<char>(in), {}) : std::string("(none)");
    };
    const std::string before = contents();
    chooser.answer = DataFilePath();
    Test_ns::ClickButton(p.hwnd, IDC_EXPORT_SEQUENCE);
    EXPECT_EQ(m_presenter.Shown().size(), 1u);
    EXPECT_EQ(contents(), before);

    // So would one through a link onto a project file of the order.
    const String_cl project = SequencePaths()[0], link = m_dir / L"links\\序列.txt";
    const std::string projectBytes = Test_ns::ReadBytes(project);
    Test_ns::CreateFolders(link);
    ASSERT_TRUE(Test_ns::MakeHardLink(link, project));
    chooser.answer = link;
    Test_ns::ClickButton(p.hwnd, IDC_EXPORT_SEQUENCE);
    ASSERT_EQ(m_presenter.Shown().size(), 2u);
    EXPECT_NE(m_presenter.Shown()[1].text.find(L"不能写到方案的解决方案或工程文件上。"), String_cl::npos);
    EXPECT_EQ(Test_ns::ReadBytes(project), projectBytes);
}

TEST_F(HistoryPageTest, DeleteAsksOnceAndKeepsEntriesThatRowsHold)
{
    const String_cl held = AddRow(L"held")->project->path;
    m_stores.sequences.Register(Project(L"free"));
    HistoryPage p(m_main, m_stores, m_settings);
    const HWND list = p.Item(IDC_SEQUENCE_LIST);

    SelectRow(list, 0);
    m_presenter.SetAnswer(IDCANCEL);
    PressKey(list, VK_DELETE);
    m_presenter.SetAnswer(IDOK);
    PressKey(list, VK_DELETE);
    EXPECT_EQ(Texts(m_presenter.Shown()), (std::vector<String_cl>{kWarning, kWarning, kInUse}));
    EXPECT_EQ(m_presenter.Shown()[0].caption, L"警告");
    EXPECT_EQ(m_presenter.Shown()[0].type & MB_TYPEMASK, static_cast<UINT>(MB_OKCANCEL));
    EXPECT_EQ(Column(list, 0).size(), 2u);

    SelectRow(list, 1, false);
    PressKey(list, VK_DELETE);
    EXPECT_EQ(m_presenter.Shown().size(), 3u);
    EXPECT_EQ(SequencePaths(), std::vector<String_cl>{held});
    EXPECT_EQ(Column(list, 1), std::vector<String_cl>{held});
}

TEST_F(HistoryPageTest, WhileAJobRunsKeepsImportAndDeleteAway)
{
    ScriptedChooser_cl chooser;
    m_stores.sequences.Register(Project(L"free"));
    HistoryPage p(m_main, m_stores, m_settings);
    const HWND list = p.Item(IDC_SEQUENCE_LIST);
    p.page.SetBusy(true);
    m_settings.SendToWindow(PAGE_HISTORY, UM_REFRESH, 0);
    for (int id : {IDC_IMPORT_SEQUENCE, IDC_EXPORT_SEQUENCE}) EXPECT_FALSE(IsWindowEnabled(p.Item(id)));
    EXPECT_TRUE(IsWindowEnabled(list));

    SelectRow(list, 0);
    PressKey(list, VK_DELETE);
    Test_ns::ClickButton(p.hwnd, IDC_IMPORT_SEQUENCE);
    EXPECT_EQ(m_statuses, std::vector<String_cl>(2, BusyStatusText()));
    EXPECT_TRUE(m_presenter.Shown().empty());
    EXPECT_TRUE(chooser.folders.empty());
    EXPECT_EQ(SequencePaths().size(), 1u);

    TakeClipboardText();
    PressKey(list, 'C', true);
    EXPECT_EQ(TakeClipboardText(), SequencePaths()[0]);
    p.page.SetBusy(false);
    for (int id : {IDC_IMPORT_SEQUENCE, IDC_EXPORT_SEQUENCE}) EXPECT_TRUE(IsWindowEnabled(p.Item(id)));
}

TEST_F(HistoryPageTest, StopsAtAnEntryWithoutAProjectName)
{
    AddRow(L"good");
    m_stores.sequences.Register(L"bare.vcproj");
    AddRow(L"after");
    HistoryPage p(m_main, m_stores, m_settings);
    EXPECT_EQ(Column(p.Item(IDC_SEQUENCE_LIST), 0), std::vector<String_cl>{L"good"});
    ASSERT_EQ(m_presenter.Shown().size(), 1u);
    EXPECT_NE(Test_ns::ReadText(m_dir / L"Error.log").find(L"工程路径不正确。"), String_cl::npos);
}

TEST_F(HistoryPageTest, ScreenshotAndWidthsKept)
{
    for (const wchar_t* name : {L"基础库", L"CoreLib", L"NetUtil", L"图像处理", L"AppMain"}) AddRow(name);
    {
        HistoryPage p(m_main, m_stores, m_settings);
        SelectRow(p.Item(IDC_SEQUENCE_LIST), 1);
        SendMessageW(p.Item(IDC_SEQUENCE_LIST), LVM_SETCOLUMNWIDTH, 1, LVSCW_AUTOSIZE);
        Test_ns::PumpMessages(200);
        EXPECT_FALSE(Test_ns::SaveScreenshot(m_main, L"page-131-history").empty());
        SendMessageW(p.Item(IDC_SEQUENCE_LIST), LVM_SETCOLUMNWIDTH, 0, 123);
    }
    HistoryPage again(m_main, m_stores, m_settings);
    EXPECT_EQ(SendMessageW(again.Item(IDC_SEQUENCE_LIST), LVM_GETCOLUMNWIDTH, 0, 0), 123);
}
