// Sound system start and end: the device object, the primary buffer's format, the looping
// silent buffer and the device description in the log.
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "library/base/log.h"
#include "library/sound/sound.h"
#include "library/sound/sound_state.h"
#include "platform/kernel32/libloaderapi.h"
#include "platform/user32/desktop.h"

SOUNDSYS g_sound;

namespace {

// printf-style into the log, with the text's own line breaks.
void LogText(const char *format, ...) __attribute__((format(printf, 1, 2)));
void LogText(const char *format, ...) {
    char buffer[512];
    va_list args;
    va_start(args, format);
    vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    WriteLog(buffer);
}

const char *OkNo(DWORD flags, DWORD bit) { return (flags & bit) ? "OK" : "NO"; }

void ReleaseDevice() {
    if (g_sound.primary) g_sound.primary->Release();
    g_sound.primary = nullptr;
    if (g_sound.device) g_sound.device->Release();
    g_sound.device = nullptr;
}

void SetPrimaryFormat() {
    DSCAPS caps{};
    caps.dwSize = sizeof caps;
    g_sound.device->GetCaps(&caps);
    WAVEFORMATEX f{};
    f.wFormatTag = WAVE_FORMAT_PCM;
    f.nSamplesPerSec = caps.dwMaxSecondarySampleRate >= 44100 ? 44100 : caps.dwMaxSecondarySampleRate;
    f.wBitsPerSample = (caps.dwFlags & DSCAPS_PRIMARY16BIT) ? 16 : 8;
    f.nChannels = (caps.dwFlags & DSCAPS_PRIMARYSTEREO) ? 2 : 1;
    f.nBlockAlign = (WORD)(f.wBitsPerSample / 8 * f.nChannels);
    f.nAvgBytesPerSec = f.nSamplesPerSec * f.nBlockAlign;
    if (FAILED(g_sound.primary->SetFormat(&f)))
        WriteLog("DirectSoundのプライマリサウンドバッファのフォーマット設定に失敗しました\n");
}

void StartSilentBuffer() {
    WAVEFORMATEX f{WAVE_FORMAT_PCM, 2, 44100, 176400, 4, 16, 0};
    DSBUFFERDESC d{};
    d.dwSize = sizeof d;
    d.dwFlags = DSBCAPS_STATIC | DSBCAPS_GLOBALFOCUS;
    d.dwBufferBytes = 400;
    d.lpwfxFormat = &f;
    IDirectSoundBuffer *b = nullptr;
    if (FAILED(g_sound.device->CreateSoundBuffer(&d, &b, nullptr))) {
        WriteLog("無音バッファの作成に失敗しました");
        return;
    }
    void *p1 = nullptr, *p2 = nullptr;
    DWORD n1 = 0, n2 = 0;
    if (FAILED(b->Lock(0, 0, &p1, &n1, &p2, &n2, DSBLOCK_ENTIREBUFFER))) {
        WriteLog("無音バッファのロックに失敗しました");
        b->Release();
        return;
    }
    memset(p1, 0, n1);
    if (p2) memset(p2, 0, n2);
    b->Unlock(p1, n1, p2, n2);
    b->Play(0, 0, DSBPLAY_LOOPING);
    g_sound.silent = b;
}

void LogDevices() {
    RaiseLogIndent();
    WriteLog("DirectSound デバイスを列挙します\n");
    HMODULE dll = LoadLibraryA("DSOUND.DLL");
    if (!dll) {
        WriteLog("DSOUND.DLL のロードに失敗しました\n");
        LowerLogIndent();
        return;
    }
    typedef HRESULT (*ENUMERATE)(LPDSENUMCALLBACKA, LPVOID);
    ENUMERATE enumerate = reinterpret_cast<ENUMERATE>(reinterpret_cast<void *>(GetProcAddress(dll, "DirectSoundEnumerateA")));
    if (!enumerate) {
        FreeLibrary(dll);
        WriteLog("DirectSound デバイスの列挙用関数のポインタ取得に失敗しました\n");
        LowerLogIndent();
        return;
    }
    RaiseLogIndent();
    enumerate(LogSoundDevice, nullptr);
    LowerLogIndent();
    DSCAPS caps{};
    caps.dwSize = sizeof caps;
    g_sound.device->GetCaps(&caps);
    LogText("最大サンプリングレート:%.2fKHz 最小サンプリングレート:%.2fKHz ", caps.dwMaxSecondarySampleRate / 1000.0,
            caps.dwMinSecondarySampleRate / 1000.0);
    LogText("総サウンドメモリ領域:%.2fKB 空きサウンドメモリ領域:%.2fKB \n", caps.dwTotalHwMemBytes / 1024.0,
            caps.dwFreeHwMemBytes / 1024.0);
    WriteLog("利用可能サンプリング精度\n");
    LogText(" プライマリ １６bit = %s  ８bit = %s ", OkNo(caps.dwFlags, DSCAPS_PRIMARY16BIT),
            OkNo(caps.dwFlags, DSCAPS_PRIMARY8BIT));
    LogText(" セカンダリ １６bit = %s  ８bit = %s \n", OkNo(caps.dwFlags, DSCAPS_SECONDARY16BIT),
            OkNo(caps.dwFlags, DSCAPS_SECONDARY8BIT));
    WriteLog("利用可能チャンネル\n");
    LogText(" プライマリ MONO = %s  STEREO = %s ", OkNo(caps.dwFlags, DSCAPS_PRIMARYMONO),
            OkNo(caps.dwFlags, DSCAPS_PRIMARYSTEREO));
    LogText(" セカンダリ MONO = %s  STEREO = %s \n", OkNo(caps.dwFlags, DSCAPS_SECONDARYMONO),
            OkNo(caps.dwFlags, DSCAPS_SECONDARYSTEREO));
    FreeLibrary(dll);
    LowerLogIndent();
}

}  // namespace

BOOL LogSoundDevice(GUID *, LPCSTR description, LPCSTR module, LPVOID) {
    LogText("モジュール名:%15s  ドライバ記述:%s \n", module ? module : "", description ? description : "");
    return TRUE;
}

int InitializeSoundSystem() {
    if (g_sound.device) return -1;
    WriteLog("DirectSound の初期化を行います\n");
    WriteLog("DirectSound インターフェースの取得を行います....  ");
    // Class context 7: in-process server, in-process handler, local server.
    void *object = nullptr;
    if (FAILED(CoCreateInstance(CLSID_DirectSound, nullptr, 7, IID_IDirectSound, &object)) ||
        !object) {
        g_sound.device = nullptr;
        WriteLog("DirectSoundインターフェースの作成に失敗しました\n");
        return -1;
    }
    g_sound.device = static_cast<IDirectSound *>(object);
    WriteLog("成功\n");
    WriteLog("引き続きインターフェースの初期化処理...  ");
    if (FAILED(g_sound.device->Initialize(nullptr))) {
        WriteLog("初期化に失敗しました\n");
        ReleaseDevice();
        return -1;
    }
    WriteLog("成功\n");
    if (FAILED(g_sound.device->SetCooperativeLevel(GetDesktopWindow(), DSSCL_PRIORITY))) {
        WriteLog("DirectSoundの協調レベルの設定に失敗しました\n");
        ReleaseDevice();
        return -1;
    }
    DSBUFFERDESC d{};
    d.dwSize = sizeof d;
    d.dwFlags = DSBCAPS_PRIMARYBUFFER;
    if (FAILED(g_sound.device->CreateSoundBuffer(&d, &g_sound.primary, nullptr))) {
        g_sound.primary = nullptr;
        WriteLog("DirectSoundのプライマリサウンドバッファの作成に失敗しました\n");
        ReleaseDevice();
        return -1;
    }
    SetPrimaryFormat();
    StartSilentBuffer();
    g_sound.createType = 0;
    g_sound.oggSampleWidth = 2;
    SetOggSampleWidth(2);
    InitHandleNodeList(&g_sound.streamHead, &g_sound.streamTail);
    LogDevices();
    WriteLog("DirectSound の初期化は正常に終了しました\n");
    DeleteAllSoundHandles();
    return 0;
}

int TerminateSoundSystem() {
    if (!g_sound.device) return -1;
    DeleteAllSoundHandles();
    g_sound.primary->Stop();
    g_sound.primary->Release();
    g_sound.primary = nullptr;
    if (g_sound.silent) {
        g_sound.silent->Stop();
        g_sound.silent->Release();
        g_sound.silent = nullptr;
    }
    g_sound.device->Release();
    g_sound.device = nullptr;
    WriteLog("DirectSound の終了処理は正常に終了しました\n");
    return 0;
}
