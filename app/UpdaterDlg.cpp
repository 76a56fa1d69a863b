#include "app/UpdaterDlg.h"

#include <cstring>

#include "app/AboutDlg.h"
#include "app/AboutLines.h"
#include "app/DeviceWarningDlg.h"
#include "app/DllSearch.h"
#include "app/IconPlacement.h"
#include "app/UpdateThreadArgs.h"
#include "app/ZrcVersion.h"
#include "device/GraphDeviceLink.h"
#include "device/OneShotCommand.h"
#include "framework/PaintDC.h"

namespace {

// Shown by Windows when the user logs off or shuts down while a run is in progress.
const wchar_t kShutdownBlockReason[] = L"Updating device firmware";

// The Update button's face: the system's default face, bold and 15 pixels high at 96 DPI,
// scaled with the system DPI like every other text of the dialog.
CFont* CreateUpdateFont() {
    HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
    if (screen)
        ReleaseDC(nullptr, screen);
    auto* pFont = new CFont;
    pFont->CreateFont(MulDiv(15, dpi > 0 ? dpi : 96, 96), 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE,
                      DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                      DEFAULT_PITCH | FF_DONTCARE, nullptr);
    return pFont;
}

// The application icon at a size the system uses: the image made for that size, or the
// nearest one scaled, rather than the 32-pixel image shrunk or stretched by the window.
// Not shared: a shared icon is cached by image, so at 144 DPI the small icon would come
// back at the big one's size. The caller destroys it.
HICON LoadAppIcon(int cxMetric, int cyMetric) {
    return static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME),
                                         IMAGE_ICON, GetSystemMetrics(cxMetric),
                                         GetSystemMetrics(cyMetric), LR_DEFAULTCOLOR));
}

} // namespace

const MessageMap* CUpdaterDlg::GetMessageMap() const {
    static const MessageMapEntry entries[] = {
        OnWmSysCommand<&CUpdaterDlg::OnSysCommand>(),
        OnWmPaint<&CUpdaterDlg::OnPaint>(),
        OnWmQueryDragIcon<&CUpdaterDlg::OnQueryDragIcon>(),
        OnWmTimer<&CUpdaterDlg::OnTimer>(),
        OnClicked<&CUpdaterDlg::OnUpdateClicked>(IDC_UPDATE),
        OnClicked<&CUpdaterDlg::OnAbout>(IDC_ABOUT),
        OnMessage<&CUpdaterDlg::OnUpdateDone>(WM_UPDATE_DONE),
        OnWmQueryEndSession<&CUpdaterDlg::OnQueryEndSession>(),
        OnWmEndSession<&CUpdaterDlg::OnEndSession>(),
        OnWmDestroy<&CUpdaterDlg::OnDestroy>(),
    };
    static const MessageMap map(CDialog::GetMessageMap(), entries);
    return &map;
}

CUpdaterDlg::CUpdaterDlg(CWnd* pParent)
    : CDialog(IDD, pParent), m_hIcon(LoadAppIcon(SM_CXICON, SM_CYICON)),
      m_hSmallIcon(LoadAppIcon(SM_CXSMICON, SM_CYSMICON)) {
    m_pUpdateFont = CreateUpdateFont();
}

CUpdaterDlg::~CUpdaterDlg() {
    m_runLog.Note("program ends in state %s", RuleOf(m_state).name);
    // Should the window go mid-flash all the same (its message loop failed), the program
    // stays, keeping the PC awake, until the worker has finished.
    if (RuleOf(m_state).worker) {
        OutwaitFlash("after the window had closed");
        SetThreadExecutionState(ES_CONTINUOUS);
    }
    delete m_pUpdateFont;
    // The window that showed the icons is gone by now.
    if (m_hSmallIcon)
        DestroyIcon(m_hSmallIcon);
    if (m_hIcon)
        DestroyIcon(m_hIcon);
}

void CUpdaterDlg::NoteUnattached(const char* call) {
    m_runLog.Note("%s on a window never attached: nothing done", call);
}

void CUpdaterDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDOK, m_btnExit);
    DDX_Control(pDX, IDC_ABOUT, m_btnAbout);
    DDX_Control(pDX, IDC_PROGRESS, m_progress);
    DDX_Control(pDX, IDC_UPDATE, m_btnUpdate);
    DDX_Control(pDX, IDC_STATUS, m_editStatus);
    DDX_Text(pDX, IDC_CURRENT_VERSION, m_strCurrentVersion);
    DDX_Text(pDX, IDC_NEW_VERSION, m_strNewVersion);
}

BOOL CUpdaterDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    // Begun first, so that it notes even the first call on a control never attached.
    m_runLog.Begin(RUN_LOG_PATH, "ZrcUpdater " ZRC_VERSION_TEXT);

    m_progress.SetPos(0);
    m_progress.SetStep(1);
    m_btnUpdate.SendMessage(
        WM_SETFONT, reinterpret_cast<WPARAM>(m_pUpdateFont ? m_pUpdateFont->m_hObject : nullptr),
        TRUE);
    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hSmallIcon));

    m_dwSourceWord = 0;
    m_dwMicrocodeVersion = 0;
    UpdateData(FALSE);
    SetWindowText(kMainWindowTitle);

    m_strCurrentVersion = kNoVersion;
    ShowVersion(IDC_CURRENT_VERSION);
    m_strNewVersion = kNewVersion;
    m_strAcceptedVersion = kAcceptedVersion;
    ShowVersion(IDC_NEW_VERSION);

    EnterState(RunState::Opening);

    m_pLink = nullptr;
    std::memset(m_szFirmwarePath, 0, sizeof m_szFirmwarePath);
    std::memset(m_szStagingPath, 0, sizeof m_szStagingPath);

    // Without COM the graph manager cannot be created, the open gives 0 and the user is
    // told the device cannot be reached. Only a successful call is balanced at the end.
    m_bComInitialized = SUCCEEDED(CoInitialize(nullptr));
    m_runLog.Note("DLL search: %s", DllSearchReport());
    // The controls whose text alone does not say what they are; the status log is
    // announced as it changes, the versions named again whenever they change.
    if (m_screenReader.Attach()) {
        m_screenReader.Name(m_editStatus.GetSafeHwnd(), L"Status");
        m_screenReader.Name(m_progress.GetSafeHwnd(), L"Elapsed time");
        ShowVersion(IDC_CURRENT_VERSION);
        ShowVersion(IDC_NEW_VERSION);
    }

    m_pLink = new CGraphDeviceLink;
    const int nOpened = m_pLink->Open(CONFIG_SOURCE_SPLITTER, 0);
    m_runLog.Note("start-up link opened: %d", nOpened);
    if (nOpened != 0) {
        EnterState(RunState::CheckDue);
        // Values the device does not deliver stay 0 or empty; the About box shows them so.
        DeviceCommand(CMD_GET_MICROCODE_VERSION, &m_dwMicrocodeVersion);
        DeviceCommand(CMD_QUERY_SOURCE_WORD, &m_dwSourceWord);
        std::memset(&m_filterVersions, 0, sizeof m_filterVersions);
        DeviceCommand(CMD_GET_FILTER_VERSIONS, &m_filterVersions);
        const FilterVersionBlock& v = m_filterVersions;
        m_runLog.Note("microcode 0x%08lx, source word 0x%08lx", m_dwMicrocodeVersion,
                      m_dwSourceWord);
        m_runLog.Note("filters: Source \"%.*s\", Splitter \"%.*s\", Sink \"%.*s\"",
                      static_cast<int>(sizeof v.szSourceVersion), v.szSourceVersion,
                      static_cast<int>(sizeof v.szSplitterVersion), v.szSplitterVersion,
                      static_cast<int>(sizeof v.szSinkVersion), v.szSinkVersion);
        delete m_pLink;
        m_pLink = nullptr;
        return TRUE;
    }

    // No filter graph at all: nothing can reach the device in this run. The dialog
    // stays open, inert, so the user can read the versions and leave.
    EnterState(RunState::NoDevice);
    CDeviceWarningDlg warning(nullptr);
    warning.DoModal();
    delete m_pLink;
    m_pLink = nullptr;
    return FALSE;
}

void CUpdaterDlg::EnterState(RunState state) {
    const RunRule& was = RuleOf(m_state);
    const RunRule& row = RuleOf(state);
    m_state = state;
    const bool entersRun = row.guarded && !was.guarded;
    const bool leavesRun = was.guarded && !row.guarded;

    // The focus leaves a button before it is disabled, or the keyboard would reach nothing
    // for the rest of the program's life. The status log stays enabled throughout.
    if (entersRun) {
        SendMessage(WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(m_editStatus.GetSafeHwnd()), TRUE);
        // Moving there selects the log's text, which the next append would replace.
        DeselectStatus();
    }
    m_btnUpdate.EnableWindow(row.update);
    m_btnAbout.EnableWindow(row.about);
    m_btnExit.EnableWindow(row.exit);
    if (leavesRun)
        SendMessage(WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(m_btnExit.GetSafeHwnd()), TRUE);

    if (row.timer == RunTimer::DeviceCheck)
        SetTimer(TIMER_DEVICE_CHECK, kDeviceCheckDelayMs, nullptr);
    else
        KillTimer(TIMER_DEVICE_CHECK);
    if (row.timer == RunTimer::Progress)
        SetTimer(TIMER_PROGRESS, kProgressPeriodMs, nullptr);
    else
        KillTimer(TIMER_PROGRESS);

    if (entersRun) {
        // No log-off or shutdown, no sleep and no dark screen until the verdict.
        ShutdownBlockReasonCreate(GetSafeHwnd(), kShutdownBlockReason);
        SetThreadExecutionState(ES_CONTINUOUS | ES_SYSTEM_REQUIRED | ES_DISPLAY_REQUIRED);
    } else if (leavesRun) {
        SetThreadExecutionState(ES_CONTINUOUS);
        ShutdownBlockReasonDestroy(GetSafeHwnd());
    }
}

void CUpdaterDlg::OnTimer(UINT_PTR nIDEvent) {
    // A tick counts only in a state whose timer it is: one that another program posts at
    // any other time changes nothing.
    const RunTimer running = RuleOf(m_state).timer;
    if (nIDEvent == TIMER_DEVICE_CHECK && running == RunTimer::DeviceCheck)
        OnDeviceCheckDue();
    else if (nIDEvent == TIMER_PROGRESS && running == RunTimer::Progress)
        OnProgressTick();
    CDialog::OnTimer(nIDEvent);
}

void CUpdaterDlg::OnAbout() {
    // A click posted by another program before the device check or during a run shows
    // nothing.
    if (!RuleOf(m_state).about)
        return;
    // Owned by the main dialog, so that the main dialog cannot be used behind it.
    CAboutDlg about(this);
    AboutLine line;

    FormatMicrocodeLine(m_dwMicrocodeVersion, line);
    about.m_strMicrocodeVersion = line;

    const FilterVersionBlock& versions = m_filterVersions;
    FormatFilterLine("Source Filter ", versions.szSourceVersion, sizeof versions.szSourceVersion,
                     line);
    about.m_strSourceVersion = line;
    FormatFilterLine("Splitter Filter ", versions.szSplitterVersion,
                     sizeof versions.szSplitterVersion, line);
    about.m_strSplitterVersion = line;
    FormatFilterLine("Sink Filter ", versions.szSinkVersion, sizeof versions.szSinkVersion, line);
    about.m_strSinkVersion = line;

    about.DoModal();
}

void CUpdaterDlg::OnSysCommand(UINT nID, LPARAM lParam) {
    CDialog::OnSysCommand(nID, lParam);
}

void CUpdaterDlg::OnPaint() {
    if (!IsIconic()) {
        CDialog::OnPaint();
        return;
    }
    CPaintDC dc(this);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), 0);
    int cxIcon = GetSystemMetrics(SM_CXICON);
    int cyIcon = GetSystemMetrics(SM_CYICON);
    RECT rect;
    GetClientRect(&rect);
    DrawIcon(dc.GetSafeHdc(), CentredIconOffset(rect.right - rect.left, cxIcon),
             CentredIconOffset(rect.bottom - rect.top, cyIcon), m_hIcon);
}

HICON CUpdaterDlg::OnQueryDragIcon() {
    return m_hIcon;
}

void CUpdaterDlg::OnDestroy() {
    m_screenReader.Detach();
}

void CUpdaterDlg::PostNcDestroy() {
    if (m_pLink) {
        delete m_pLink;
        m_pLink = nullptr;
    }
    // The worker's COM must end before the dialog thread's, which began first.
    if (RuleOf(m_state).worker)
        WaitForUpdateWorker();
    if (m_bComInitialized) {
        CoUninitialize();
        m_bComInitialized = false;
    }
    CDialog::PostNcDestroy();
}

int CUpdaterDlg::DeviceCommand(int nCode, void* pArg) {
    const int nResult = OneShotCommand(m_pLink, CONFIG_SOURCE_SPLITTER, nCode, pArg);
    m_runLog.Note("command %d: %d", nCode, nResult);
    return nResult;
}

void CUpdaterDlg::ClearStatus() {
    m_editStatus.SetSel(0, -1);
    m_editStatus.Clear();
    // A read-only edit ignores WM_CLEAR, and appends no longer replace the selection: the
    // text itself is emptied.
    m_editStatus.SetWindowText("");
}

void CUpdaterDlg::AppendStatus(const char* text, CScreenReader::Urgency urgency) {
    // The keyboard, or a screen reader's review, may have moved the caret or selected text
    // in the log: the text goes at its end all the same.
    const int nEnd = ::GetWindowTextLengthA(m_editStatus.GetSafeHwnd());
    m_editStatus.SetSel(nEnd, nEnd);
    m_editStatus.ReplaceSel(text, FALSE);
    // Line ends written out, so that each text stays on one line of the log.
    char escaped[128] = {};
    for (std::size_t i = 0, o = 0; text[i] && o + 3 < sizeof escaped; ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            escaped[o++] = '\\';
            escaped[o++] = c == '\r' ? 'r' : 'n';
        } else {
            escaped[o++] = c;
        }
    }
    m_runLog.Note("status: \"%s\"", escaped);
    m_screenReader.Announce(m_editStatus.GetSafeHwnd(), "Status:", text, urgency);
}

void CUpdaterDlg::DeselectStatus() {
    m_editStatus.SetSel(-1, 0);
}

void CUpdaterDlg::RepaintNow() {
    UpdateWindow();
}

void CUpdaterDlg::ShowVersion(int nID) {
    const bool current = nID == IDC_CURRENT_VERSION;
    const std::string& version = current ? m_strCurrentVersion : m_strNewVersion;
    SetDlgItemText(nID, version.c_str());
    // A static text's accessible name is its text, so the label beside it goes into the
    // name, or a screen reader would say only the number, or only the label.
    m_screenReader.Name(::GetDlgItem(GetSafeHwnd(), nID),
                        current ? "Current version" : "New version", version.c_str());
}
