// GDI fonts over FreeType and fontconfig. A face that is not installed, and the platform's
// default Japanese Gothic face, render with the packaged IPA Gothic. Character codes are
// Shift-JIS (or the Hangeul code page for its character set) and go to Unicode through iconv.
#include "platform/gdi32/gdi32.h"
#include "platform/testing.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_BITMAP_H
#include FT_OUTLINE_H
#include FT_TRUETYPE_TABLES_H
#include <fontconfig/fontconfig.h>
#include <iconv.h>

#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace {

struct FontObject {
    int height = 16;
    int weight = FW_NORMAL;
    bool italic = false;
    DWORD charSet = DEFAULT_CHARSET;
    bool synthetic = false;
    std::string file;
    FT_Face face = nullptr;  // own face per font: its size stays set
    TEXTMETRICA metrics{};
};

struct DcObject {
    HGDIOBJ font = nullptr;
};

struct GdiState {
    std::mutex lock;
    FT_Library library = nullptr;
    std::map<uintptr_t, std::shared_ptr<FontObject>> fonts;
    std::map<uintptr_t, std::shared_ptr<DcObject>> dcs;
    uintptr_t nextValue = 0x70010;
    bool synthetic = false;
    int failCreateFont = 0;
    int failCreateDC = 0;
    UINT failCode = 0;
    std::vector<PlatformFontCall> calls;
    std::string defaultFile;  // the stand-in Gothic face, looked up once
};

GdiState &State()
{
    static GdiState state;
    return state;
}

// Values are numbers, never addresses: a stale value is refused.
uintptr_t NextValue(GdiState &s)
{
    s.nextValue += 4;
    return s.nextValue;
}

std::string Convert(const char *from, const char *to, const std::string &text)
{
    iconv_t cd = iconv_open(to, from);
    if (cd == (iconv_t)-1) return std::string();
    std::string out(text.size() * 4 + 8, '\0');
    char *in = const_cast<char *>(text.data());
    size_t inLeft = text.size();
    char *o = out.data();
    size_t outLeft = out.size();
    size_t r = iconv(cd, &in, &inLeft, &o, &outLeft);
    iconv_close(cd);
    if (r == (size_t)-1) return std::string();
    out.resize(out.size() - outLeft);
    return out;
}

const char *CodePageOf(DWORD charSet) { return charSet == HANGEUL_CHARSET ? "CP949" : "CP932"; }

// Unicode of a narrow code, 0 when it has none.
uint32_t CodeToUnicode(UINT code, DWORD charSet)
{
    std::string bytes;
    if (code > 0xFF) bytes.push_back((char)(code >> 8));
    bytes.push_back((char)(code & 0xFF));
    std::string u = Convert(CodePageOf(charSet), "UTF-32LE", bytes);
    if (u.size() != 4) return 0;
    return (uint8_t)u[0] | (uint8_t)u[1] << 8 | (uint8_t)u[2] << 16 | (uint32_t)(uint8_t)u[3] << 24;
}

std::string MatchFile(const std::string &familyUtf8, bool exact)
{
    FcPattern *pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, (const FcChar8 *)familyUtf8.c_str());
    FcPatternAddString(pattern, FC_LANG, (const FcChar8 *)"ja");
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result;
    FcPattern *match = FcFontMatch(nullptr, pattern, &result);
    std::string file;
    if (match) {
        bool familyOk = !exact;
        FcChar8 *family = nullptr;
        for (int i = 0; exact && FcPatternGetString(match, FC_FAMILY, i, &family) == FcResultMatch; ++i)
            if (FcStrCmpIgnoreCase(family, (const FcChar8 *)familyUtf8.c_str()) == 0) familyOk = true;
        FcChar8 *path = nullptr;
        if (familyOk && FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch) file = (const char *)path;
        FcPatternDestroy(match);
    }
    FcPatternDestroy(pattern);
    return file;
}

// The file for a face: the installed face of that name, else the stand-in Gothic face.
std::string FaceFile(GdiState &s, const char *face)
{
    static const char *const kStandIn = "IPAGothic";
    if (s.defaultFile.empty()) {
        FcInit();
        // The configuration lives until the end of the process.
        std::atexit([] { FcFini(); });
        s.defaultFile = MatchFile(kStandIn, true);
        if (s.defaultFile.empty()) s.defaultFile = MatchFile(kStandIn, false);
    }
    if (!face || !*face) return s.defaultFile;
    // The platform's Gothic face names (Shift-JIS literals here) are the stand-in.
    std::string raw = face;
    if (raw == "ＭＳ ゴシック" || raw == "ＭＳ Ｐゴシック" || raw == "MS Gothic") return s.defaultFile;
    std::string utf8 = Convert("CP932", "UTF-8", raw);
    if (utf8.empty()) return s.defaultFile;
    std::string file = MatchFile(utf8, true);
    return file.empty() ? s.defaultFile : file;
}

void SyntheticMetrics(FontObject &f)
{
    TEXTMETRICA &tm = f.metrics;
    tm.tmHeight = f.height;
    tm.tmAscent = f.height - f.height / 8;
    tm.tmDescent = f.height / 8;
    tm.tmAveCharWidth = f.height / 2;
    tm.tmMaxCharWidth = f.height;
}

bool LoadFace(GdiState &s, FontObject &f)
{
    if (!s.library && FT_Init_FreeType(&s.library) != 0) return false;
    if (f.file.empty() || FT_New_Face(s.library, f.file.c_str(), 0, &f.face) != 0) return false;
    FT_Face face = f.face;
    // Cell height = ascent + descent as the platform measures them (OS/2 win metrics).
    TT_OS2 *os2 = (TT_OS2 *)FT_Get_Sfnt_Table(face, FT_SFNT_OS2);
    long asc = os2 && os2->usWinAscent ? os2->usWinAscent : face->ascender;
    long desc = os2 && os2->usWinAscent ? os2->usWinDescent : -face->descender;
    if (asc + desc <= 0) { asc = face->units_per_EM * 7 / 8; desc = face->units_per_EM / 8; }
    int height = f.height;
    double pixelsPerEm = (double)height * face->units_per_EM / (double)(asc + desc);
    FT_Set_Char_Size(face, 0, (FT_F26Dot6)(pixelsPerEm * 64.0 + 0.5), 72, 72);
    TEXTMETRICA &tm = f.metrics;
    tm.tmHeight = height;
    tm.tmAscent = (LONG)((double)asc * height / (double)(asc + desc) + 0.5);
    tm.tmDescent = height - tm.tmAscent;
    tm.tmInternalLeading = height - (LONG)(pixelsPerEm + 0.5);
    if (tm.tmInternalLeading < 0) tm.tmInternalLeading = 0;
    int bold = f.weight >= 600 ? 1 : 0;
    tm.tmMaxCharWidth = (LONG)((double)face->max_advance_width * pixelsPerEm / face->units_per_EM + 0.5) + bold;
    tm.tmAveCharWidth = (LONG)(pixelsPerEm / 2 + 0.5) + bold;
    return true;
}

// Horizontal smear by one pixel, as the platform thickens a face it has no bold cut of.
void Embolden(std::vector<uint8_t> &levels, int &w, int h)
{
    std::vector<uint8_t> out((size_t)(w + 1) * h, 0);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x <= w; ++x) {
            uint8_t a = x < w ? levels[(size_t)y * w + x] : 0;
            uint8_t b = x > 0 ? levels[(size_t)y * w + x - 1] : 0;
            out[(size_t)y * (w + 1) + x] = a > b ? a : b;
        }
    levels.swap(out);
    ++w;
}

// Renders a glyph as 0-16 levels (mono: 0 or 16). False when the code has no glyph.
bool RenderLevels(FontObject &f, UINT code, bool mono, GLYPHMETRICS *gm, std::vector<uint8_t> &levels)
{
    std::memset(gm, 0, sizeof *gm);
    levels.clear();
    if (f.synthetic) {
        PlatformTestSyntheticGlyphMetrics(f.height, code, gm);
        for (UINT y = 0; y < gm->gmBlackBoxY; ++y)
            for (UINT x = 0; x < gm->gmBlackBoxX; ++x) {
                int v = PlatformTestSyntheticGlyphLevel(code, (int)x, (int)y);
                levels.push_back((uint8_t)(mono ? (v >= 8 ? 16 : 0) : v));
            }
        return true;
    }
    uint32_t u = CodeToUnicode(code, f.charSet);
    if (u == 0 && code != 0) return false;
    FT_Face face = f.face;
    FT_UInt index = FT_Get_Char_Index(face, u);
    FT_Int32 flags = mono ? (FT_LOAD_TARGET_MONO | FT_LOAD_NO_BITMAP) : (FT_LOAD_TARGET_NORMAL | FT_LOAD_NO_BITMAP);
    if (FT_Load_Glyph(face, index, flags) != 0) return false;
    FT_GlyphSlot slot = face->glyph;
    if (f.italic && slot->format == FT_GLYPH_FORMAT_OUTLINE) {
        FT_Matrix shear = {0x10000, 0x5800, 0, 0x10000};
        FT_Outline_Transform(&slot->outline, &shear);
    }
    if (FT_Render_Glyph(slot, mono ? FT_RENDER_MODE_MONO : FT_RENDER_MODE_NORMAL) != 0) return false;
    const FT_Bitmap &bm = slot->bitmap;
    int w = (int)bm.width, h = (int)bm.rows;
    levels.assign((size_t)w * h, 0);
    for (int y = 0; y < h; ++y) {
        const uint8_t *row = bm.buffer + (ptrdiff_t)y * bm.pitch;
        for (int x = 0; x < w; ++x) {
            int v = mono ? ((row[x >> 3] >> (7 - (x & 7))) & 1) * 16 : (row[x] * 16 + 127) / 255;
            levels[(size_t)y * w + x] = (uint8_t)v;
        }
    }
    int advance = (int)((slot->advance.x + 32) >> 6);
    if (f.weight >= 600 && w > 0) {
        Embolden(levels, w, h);
        ++advance;
    }
    // Trim empty rows and columns so that the black box holds ink at its edges.
    int left = w, right = -1, top = h, bottom = -1;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (levels[(size_t)y * w + x]) {
                if (x < left) left = x;
                if (x > right) right = x;
                if (y < top) top = y;
                if (y > bottom) bottom = y;
            }
    gm->gmCellIncX = (SHORT)advance;
    if (right < 0) {
        levels.clear();
        gm->gmptGlyphOrigin.y = 0;
        return true;
    }
    int nw = right - left + 1, nh = bottom - top + 1;
    std::vector<uint8_t> trimmed((size_t)nw * nh);
    for (int y = 0; y < nh; ++y)
        std::memcpy(&trimmed[(size_t)y * nw], &levels[(size_t)(y + top) * w + left], nw);
    levels.swap(trimmed);
    gm->gmBlackBoxX = (UINT)nw;
    gm->gmBlackBoxY = (UINT)nh;
    gm->gmptGlyphOrigin.x = slot->bitmap_left + left;
    gm->gmptGlyphOrigin.y = slot->bitmap_top - top;
    return true;
}

std::shared_ptr<FontObject> FontOf(GdiState &s, HGDIOBJ object)
{
    auto it = s.fonts.find((uintptr_t)object);
    return it == s.fonts.end() ? nullptr : it->second;
}

std::shared_ptr<DcObject> DcOf(GdiState &s, HDC dc)
{
    auto it = s.dcs.find((uintptr_t)dc);
    return it == s.dcs.end() ? nullptr : it->second;
}

}  // namespace

HFONT CreateFontA(int height, int, int, int, int weight, DWORD italic, DWORD, DWORD, DWORD charSet, DWORD, DWORD,
                  DWORD, DWORD, LPCSTR face)
{
    GdiState &s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    s.calls.push_back({height, weight, italic, charSet, face ? face : ""});
    if (s.failCreateFont > 0) {
        --s.failCreateFont;
        return nullptr;
    }
    auto f = std::make_shared<FontObject>();
    // A negative height asks for the em size; the cell is then a little taller, as with the platform.
    f->height = height > 0 ? height : height < 0 ? (-height * 8 + 6) / 7 : 16;
    f->weight = weight <= 0 ? FW_NORMAL : weight;
    f->italic = italic != 0;
    f->charSet = charSet;
    f->synthetic = s.synthetic;
    if (f->synthetic) {
        SyntheticMetrics(*f);
    } else {
        f->file = FaceFile(s, face);
        if (!LoadFace(s, *f)) return nullptr;
    }
    TEXTMETRICA &tm = f->metrics;
    tm.tmWeight = f->weight;
    tm.tmItalic = f->italic ? 1 : 0;
    tm.tmCharSet = (BYTE)charSet;
    tm.tmPitchAndFamily = 0x30;  // modern family, fixed pitch (the bit clear)
    tm.tmFirstChar = 0x20;
    tm.tmLastChar = 0xFF;
    tm.tmDefaultChar = 0x1F;
    tm.tmBreakChar = 0x20;
    tm.tmDigitizedAspectX = tm.tmDigitizedAspectY = 96;
    uintptr_t value = NextValue(s);
    s.fonts[value] = f;
    return (HFONT)value;
}

HDC CreateCompatibleDC(HDC)
{
    GdiState &s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    if (s.failCreateDC > 0) {
        --s.failCreateDC;
        return nullptr;
    }
    uintptr_t value = NextValue(s);
    s.dcs[value] = std::make_shared<DcObject>();
    return (HDC)value;
}

BOOL DeleteDC(HDC dc)
{
    GdiState &s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    return s.dcs.erase((uintptr_t)dc) ? TRUE : FALSE;
}

HGDIOBJ SelectObject(HDC dc, HGDIOBJ object)
{
    GdiState &s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    auto d = DcOf(s, dc);
    if (!d || !FontOf(s, object)) return nullptr;
    HGDIOBJ old = d->font ? d->font : GetStockObject(10);  // the stock system font
    d->font = object;
    return old;
}

BOOL DeleteObject(HGDIOBJ object)
{
    GdiState &s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    auto f = FontOf(s, object);
    if (!f) return FALSE;
    if (f->face) FT_Done_Face(f->face);
    f->face = nullptr;
    s.fonts.erase((uintptr_t)object);
    return TRUE;
}

BOOL GetTextMetricsA(HDC dc, TEXTMETRICA *metrics)
{
    GdiState &s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    auto d = DcOf(s, dc);
    auto f = d ? FontOf(s, d->font) : nullptr;
    if (!f || !metrics) return FALSE;
    *metrics = f->metrics;
    return TRUE;
}

DWORD GetGlyphOutlineA(HDC dc, UINT code, UINT format, GLYPHMETRICS *metrics, DWORD bufferSize, LPVOID buffer,
                       const MAT2 *matrix)
{
    GdiState &s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    auto d = DcOf(s, dc);
    auto f = d ? FontOf(s, d->font) : nullptr;
    if (!f || !metrics || !matrix) return GDI_ERROR;
    // Only the identity transform is offered.
    if (matrix->eM11.value != 1 || matrix->eM11.fract || matrix->eM22.value != 1 || matrix->eM22.fract ||
        matrix->eM12.value || matrix->eM12.fract || matrix->eM21.value || matrix->eM21.fract)
        return GDI_ERROR;
    if (format != GGO_BITMAP && format != GGO_GRAY4_BITMAP && format != GGO_METRICS) return GDI_ERROR;
    if (s.failCode && code == s.failCode) return GDI_ERROR;
    std::vector<uint8_t> levels;
    GLYPHMETRICS gm;
    if (!RenderLevels(*f, code, format == GGO_BITMAP, &gm, levels)) return GDI_ERROR;
    *metrics = gm;
    if (format == GGO_METRICS) return 0;
    int w = (int)gm.gmBlackBoxX, h = (int)gm.gmBlackBoxY;
    if (levels.empty()) return 0;
    DWORD pitch = format == GGO_BITMAP ? ((w + 31) / 32) * 4 : ((w + 3) / 4) * 4;
    DWORD size = pitch * (DWORD)h;
    if (!buffer) return size;
    if (bufferSize < size) return GDI_ERROR;
    uint8_t *out = (uint8_t *)buffer;
    std::memset(out, 0, size);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint8_t v = levels[(size_t)y * w + x];
            if (format == GGO_BITMAP) {
                if (v) out[y * pitch + (x >> 3)] |= (uint8_t)(0x80 >> (x & 7));
            } else {
                out[y * pitch + x] = v;
            }
        }
    return size;
}

// ---- test control -------------------------------------------------------------------

void PlatformTestUseSyntheticFonts(bool on)
{
    GdiState &s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    s.synthetic = on;
}

int PlatformTestSyntheticGlyphLevel(UINT code, int x, int y)
{
    // A frame with a code-dependent pattern inside: every glyph differs and shows its edges.
    return (int)((x * 7 + y * 3 + code * 5) % 17);
}

void PlatformTestSyntheticGlyphMetrics(int height, UINT code, GLYPHMETRICS *gm)
{
    if (height <= 0) height = 16;
    std::memset(gm, 0, sizeof *gm);
    bool wide = code > 0xFF;
    int advance = wide ? height : height / 2;
    gm->gmCellIncX = (SHORT)advance;
    if (code == 0x09 || code == 0x7F || code == 0x20) return;
    gm->gmBlackBoxX = (UINT)(advance > 2 ? advance - 1 : 1);
    gm->gmBlackBoxY = (UINT)(height - height / 8 - (int)(code % 3));
    gm->gmptGlyphOrigin.x = wide ? 1 : 0;
    gm->gmptGlyphOrigin.y = (LONG)gm->gmBlackBoxY;
}

std::vector<PlatformFontCall> PlatformTestTakeFontCalls()
{
    GdiState &s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    std::vector<PlatformFontCall> calls;
    calls.swap(s.calls);
    return calls;
}

void PlatformTestFailCreateFont(int count)
{
    GdiState &s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    s.failCreateFont = count;
}

void PlatformTestFailCreateDC(int count)
{
    GdiState &s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    s.failCreateDC = count;
}

void PlatformTestFailGlyphCode(UINT code)
{
    GdiState &s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    s.failCode = code;
}

int PlatformTestGdiObjectCount()
{
    GdiState &s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    return (int)(s.fonts.size() + s.dcs.size());
}

std::string PlatformTestFontFile(HFONT font)
{
    GdiState &s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    auto f = FontOf(s, font);
    return f ? f->file : std::string();
}
