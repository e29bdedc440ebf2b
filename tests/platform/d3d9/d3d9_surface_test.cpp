// Surfaces: locking with padded pitches, fills, copies and stretches, read-back,
// block-compressed textures.
#include "tests/platform/d3d9/d3d9_fixture.h"

namespace {

using Surfaces = D3D9Test;

TEST_F(Surfaces, LockedPitchIsPaddedAndRectsOffsetTheBits) {
    IDirect3DTexture9 *t = nullptr;
    ASSERT_EQ(dev->CreateTexture(8, 4, 1, 0, D3DFMT_R5G6B5, D3DPOOL_MANAGED, &t, nullptr), D3D_OK);
    textures.push_back(t);
    D3DLOCKED_RECT whole, part;
    ASSERT_EQ(t->LockRect(0, &whole, nullptr, 0), D3D_OK);
    EXPECT_GT(whole.Pitch, 8 * 2);
    EXPECT_EQ(t->LockRect(0, &part, nullptr, 0), D3DERR_INVALIDCALL);  // already locked
    ASSERT_EQ(t->UnlockRect(0), D3D_OK);
    EXPECT_EQ(t->UnlockRect(0), D3DERR_INVALIDCALL);
    RECT r{2, 1, 4, 3};
    ASSERT_EQ(t->LockRect(0, &part, &r, 0), D3D_OK);
    EXPECT_EQ(static_cast<uint8_t *>(part.pBits), static_cast<uint8_t *>(whole.pBits) + whole.Pitch + 4);
    *static_cast<uint16_t *>(part.pBits) = 0xF800;  // red at (2, 1)
    t->UnlockRect(0);
    IDirect3DSurface9 *level = nullptr;
    t->GetSurfaceLevel(0, &level);
    EXPECT_EQ(D3D9TestReadPixel(level, 2, 1), 0xFFFF0000u);
    level->Release();
    RECT outside{6, 0, 9, 1};
    EXPECT_EQ(t->LockRect(0, &part, &outside, 0), D3DERR_INVALIDCALL);
    // Default-pool textures are not lockable; render targets only when asked for.
    IDirect3DTexture9 *drawable = nullptr;
    ASSERT_EQ(dev->CreateTexture(8, 8, 1, D3DUSAGE_RENDERTARGET, D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT, &drawable, nullptr),
              D3D_OK);
    textures.push_back(drawable);
    EXPECT_EQ(drawable->LockRect(0, &part, nullptr, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(dev->CreateTexture(8, 8, 1, D3DUSAGE_RENDERTARGET, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, &t, nullptr),
              D3DERR_INVALIDCALL);
}

TEST_F(Surfaces, ColorFillClearAndClearRespectTheViewport) {
    dev->EndScene();
    IDirect3DSurface9 *rt = nullptr;
    ASSERT_EQ(dev->CreateRenderTarget(8, 8, D3DFMT_A8R8G8B8, D3DMULTISAMPLE_NONE, 0, FALSE, &rt, nullptr), D3D_OK);
    RECT r{1, 1, 3, 2};
    ASSERT_EQ(dev->ColorFill(rt, &r, 0x80112233u), D3D_OK);
    EXPECT_EQ(D3D9TestReadPixel(rt, 1, 1), 0x80112233u);
    EXPECT_EQ(D3D9TestReadPixel(rt, 3, 1), 0u);
    RECT bad{0, 0, 9, 1};
    EXPECT_EQ(dev->ColorFill(rt, &bad, 0), D3DERR_INVALIDCALL);
    D3DVIEWPORT9 vp{4, 4, 2, 2, 0, 1};
    ASSERT_EQ(dev->SetViewport(&vp), D3D_OK);
    ASSERT_EQ(dev->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFFFFFFFFu, 1.0f, 0), D3D_OK);
    EXPECT_EQ(Pixel(4, 4), 0xFFFFFFu);
    EXPECT_EQ(Pixel(3, 4), 0u);
    EXPECT_EQ(Pixel(6, 5), 0u);
    EXPECT_EQ(dev->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0), D3DERR_INVALIDCALL);  // no depth surface
    rt->Release();
    dev->BeginScene();
}

TEST_F(Surfaces, StretchRectCopiesStretchesAndRefuses) {
    dev->EndScene();
    IDirect3DSurface9 *rt = nullptr, *sub = nullptr;
    ASSERT_EQ(dev->CreateRenderTarget(4, 2, D3DFMT_X8R8G8B8, D3DMULTISAMPLE_NONE, 0, FALSE, &rt, nullptr), D3D_OK);
    ASSERT_EQ(dev->CreateRenderTarget(8, 4, D3DFMT_R5G6B5, D3DMULTISAMPLE_NONE, 0, FALSE, &sub, nullptr), D3D_OK);
    for (int x = 0; x < 4; ++x) {
        RECT px{x, 0, x + 1, 2};
        dev->ColorFill(rt, &px, D3DCOLOR_XRGB(x * 80, 0, 0));
    }
    // Point stretch 4x2 -> 8x4: each source pixel doubles.
    ASSERT_EQ(dev->StretchRect(rt, nullptr, sub, nullptr, D3DTEXF_NONE), D3D_OK);
    for (int x = 0; x < 8; ++x) {
        uint32_t expected = (x / 2) * 80;
        int narrowed = (int)((expected * 31 + 127) / 255);
        EXPECT_EQ(D3D9TestReadPixel(sub, x, 3) >> 16 & 255, (uint32_t)((narrowed << 3) | (narrowed >> 2))) << x;
    }
    // Linear 4 -> 8: pixel 1 samples 0.25 between source 0 and 1.
    RECT wide{0, 0, 8, 2};
    ASSERT_EQ(dev->StretchRect(rt, nullptr, back, &wide, D3DTEXF_LINEAR), D3D_OK);
    EXPECT_EQ(Pixel(1, 0) >> 16, (uint32_t)((80 * 64 + 128) >> 8));
    // Same size copies keep pixels exactly; overlapping self-copies are refused.
    RECT from{0, 0, 2, 2}, to{10, 10, 12, 12};
    ASSERT_EQ(dev->StretchRect(rt, &from, back, &to, D3DTEXF_NONE), D3D_OK);
    EXPECT_EQ(Pixel(11, 11), 80u << 16);
    RECT overlap{11, 11, 13, 13};
    EXPECT_EQ(dev->StretchRect(back, &to, back, &overlap, D3DTEXF_NONE), D3DERR_INVALIDCALL);
    // System-memory surfaces are no StretchRect source.
    IDirect3DSurface9 *sys = nullptr;
    ASSERT_EQ(dev->CreateOffscreenPlainSurface(4, 2, D3DFMT_X8R8G8B8, D3DPOOL_SYSTEMMEM, &sys, nullptr), D3D_OK);
    EXPECT_EQ(dev->StretchRect(sys, nullptr, rt, nullptr, D3DTEXF_NONE), D3DERR_INVALIDCALL);
    // Read-back of the render target into it.
    ASSERT_EQ(dev->GetRenderTargetData(rt, sys), D3D_OK);
    D3DLOCKED_RECT lr;
    ASSERT_EQ(sys->LockRect(&lr, nullptr, D3DLOCK_READONLY), D3D_OK);
    EXPECT_EQ(reinterpret_cast<uint32_t *>(static_cast<uint8_t *>(lr.pBits) + lr.Pitch)[3] & 0xFFFFFF, 240u << 16);
    sys->UnlockRect();
    EXPECT_EQ(dev->GetRenderTargetData(sub, sys), D3DERR_INVALIDCALL);  // size and format differ
    sys->Release();
    sub->Release();
    rt->Release();
    dev->BeginScene();
}

TEST_F(Surfaces, UpdateSurfaceFillsADrawableTexture) {
    dev->EndScene();
    IDirect3DSurface9 *staging = nullptr;
    ASSERT_EQ(dev->CreateOffscreenPlainSurface(4, 4, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM, &staging, nullptr), D3D_OK);
    D3DLOCKED_RECT lr;
    ASSERT_EQ(staging->LockRect(&lr, nullptr, D3DLOCK_DISCARD), D3D_OK);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            reinterpret_cast<uint32_t *>(static_cast<uint8_t *>(lr.pBits) + y * lr.Pitch)[x] = 0xFF000000u | (y * 4 + x);
    staging->UnlockRect();
    IDirect3DTexture9 *t = nullptr;
    ASSERT_EQ(dev->CreateTexture(8, 8, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &t, nullptr), D3D_OK);
    textures.push_back(t);
    IDirect3DSurface9 *level = nullptr;
    t->GetSurfaceLevel(0, &level);
    RECT src{1, 1, 3, 3};
    POINT at{5, 6};
    ASSERT_EQ(dev->UpdateSurface(staging, &src, level, &at), D3D_OK);
    EXPECT_EQ(D3D9TestReadPixel(level, 5, 6), 0xFF000005u);
    EXPECT_EQ(D3D9TestReadPixel(level, 6, 7), 0xFF00000Au);
    POINT tooFar{7, 7};
    EXPECT_EQ(dev->UpdateSurface(staging, &src, level, &tooFar), D3DERR_INVALIDCALL);
    // Video formats are refused, so movies take their RGB path.
    IDirect3DSurface9 *yuv = nullptr;
    EXPECT_EQ(dev->CreateOffscreenPlainSurface(16, 16, D3DFMT_YV12, D3DPOOL_DEFAULT, &yuv, nullptr), D3DERR_INVALIDCALL);
    level->Release();
    staging->Release();
    dev->BeginScene();
}

TEST_F(Surfaces, DxtBlocksDecodeWhenSampled) {
    // One DXT1 block: colours red (0xF800) and blue (0x001F), c0 > c1, so four colours;
    // indices row 0: 0 1 2 3.
    IDirect3DTexture9 *t = nullptr;
    ASSERT_EQ(dev->CreateTexture(4, 4, 1, 0, D3DFMT_DXT1, D3DPOOL_MANAGED, &t, nullptr), D3D_OK);
    textures.push_back(t);
    D3DLOCKED_RECT lr;
    ASSERT_EQ(t->LockRect(0, &lr, nullptr, 0), D3D_OK);
    const uint8_t block[8] = {0x00, 0xF8, 0x1F, 0x00, 0xE4, 0x00, 0x00, 0x00};
    memcpy(lr.pBits, block, 8);
    t->UnlockRect(0);
    SetupTexturedStage(t);
    ASSERT_EQ(Quad(-0.5f, -0.5f, 3.5f, 3.5f, 0xFFFFFFFFu), D3D_OK);
    EXPECT_EQ(Pixel(0, 0), 0xFF0000u);
    EXPECT_EQ(Pixel(1, 0), 0x0000FFu);
    EXPECT_EQ(Pixel(2, 0), (uint32_t)((2 * 255 + 0) / 3) << 16 | (uint32_t)(255 / 3));
    EXPECT_EQ(Pixel(3, 0), (uint32_t)(255 / 3) << 16 | (uint32_t)((2 * 255) / 3));
    EXPECT_EQ(Pixel(0, 1), 0xFF0000u);  // index 0 for the other rows
}

}  // namespace
