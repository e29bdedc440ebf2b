// A device on a small back buffer, opened in a scene, with helpers to draw quads.
#pragma once

#include "fixtures/standin_device.h"
#include "platform/d3d9/d3d9.h"
#include "platform/testing.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

struct TexVertex {
    float x, y, z, rhw;
    D3DCOLOR colour;
    float u, v;
};

struct ColourVertex {
    float x, y, z, rhw;
    D3DCOLOR colour;
};

// round(a * b / 255), the device's modulate.
inline int Mul255(int a, int b) { return (int)std::floor(a * b / 255.0 + 0.5); }

class D3D9Test : public ::testing::Test {
protected:
    static constexpr UINT kWidth = 64, kHeight = 48;

    void SetUp() override {
        D3D9TestReset();
        D3D9TestSetPacing(false);
        ASSERT_EQ(OpenStandInDevice(kWidth, kHeight, D3DPRESENTFLAG_LOCKABLE_BACKBUFFER, &d3d, &dev), D3D_OK);
        ASSERT_EQ(dev->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back), D3D_OK);
        dev->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
        dev->SetRenderState(D3DRS_LIGHTING, FALSE);
        dev->SetRenderState(D3DRS_SHADEMODE, D3DSHADE_FLAT);
        dev->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
        ASSERT_EQ(dev->BeginScene(), D3D_OK);
    }

    void TearDown() override {
        if (dev) {
            dev->EndScene();
            for (IDirect3DTexture9 *t : textures) t->Release();
            back->Release();
            EXPECT_EQ(dev->Release(), 0u);
        }
        if (d3d) {
            EXPECT_EQ(d3d->Release(), 0u);
        }
        EXPECT_EQ(D3D9TestLiveObjects(), 0);
    }

    // A managed A8R8G8B8 (or other) texture filled by fn(x, y) -> ARGB.
    IDirect3DTexture9 *MakeTexture(UINT w, UINT h, const std::function<uint32_t(int, int)> &fn,
                                   D3DFORMAT format = D3DFMT_A8R8G8B8) {
        IDirect3DTexture9 *t = nullptr;
        EXPECT_EQ(dev->CreateTexture(w, h, 1, 0, format, D3DPOOL_MANAGED, &t, nullptr), D3D_OK);
        D3DLOCKED_RECT lr;
        EXPECT_EQ(t->LockRect(0, &lr, nullptr, 0), D3D_OK);
        for (UINT y = 0; y < h; ++y) {
            for (UINT x = 0; x < w; ++x) {
                uint32_t c = fn((int)x, (int)y);
                uint8_t *p = static_cast<uint8_t *>(lr.pBits) + y * lr.Pitch;
                if (format == D3DFMT_A8R8G8B8 || format == D3DFMT_X8R8G8B8) {
                    memcpy(p + x * 4, &c, 4);
                } else if (format == D3DFMT_A1R5G5B5) {
                    uint16_t v = (uint16_t)(((c >> 31) << 15) | (((c >> 19) & 31) << 10) | (((c >> 11) & 31) << 5) |
                                            ((c >> 3) & 31));
                    memcpy(p + x * 2, &v, 2);
                }
            }
        }
        EXPECT_EQ(t->UnlockRect(0), D3D_OK);
        textures.push_back(t);
        return t;
    }

    void SetupTexturedStage(IDirect3DTexture9 *t, DWORD colourOp = D3DTOP_SELECTARG1, DWORD alphaOp = D3DTOP_SELECTARG1) {
        dev->SetTexture(0, t);
        dev->SetFVF(D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1);
        dev->SetTextureStageState(0, D3DTSS_COLOROP, colourOp);
        dev->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
        dev->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
        dev->SetTextureStageState(0, D3DTSS_ALPHAOP, alphaOp);
        dev->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
        dev->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
        dev->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP);
        dev->SetSamplerState(0, D3DSAMP_ADDRESSV, D3DTADDRESS_CLAMP);
    }

    // Two triangles over the rectangle x0..x1, y0..y1 (screen coordinates as given).
    HRESULT Quad(float x0, float y0, float x1, float y1, D3DCOLOR colour, float u0 = 0, float v0 = 0, float u1 = 1,
                 float v1 = 1) {
        TexVertex q[6] = {{x0, y0, 0, 1, colour, u0, v0}, {x1, y0, 0, 1, colour, u1, v0},
                          {x0, y1, 0, 1, colour, u0, v1}, {x1, y0, 0, 1, colour, u1, v0},
                          {x1, y1, 0, 1, colour, u1, v1}, {x0, y1, 0, 1, colour, u0, v1}};
        return dev->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 2, q, sizeof(TexVertex));
    }

    HRESULT ColourQuad(float x0, float y0, float x1, float y1, D3DCOLOR colour) {
        dev->SetFVF(D3DFVF_XYZRHW | D3DFVF_DIFFUSE);
        dev->SetTexture(0, nullptr);
        dev->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
        dev->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
        dev->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
        dev->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE);
        ColourVertex q[6] = {{x0, y0, 0, 1, colour}, {x1, y0, 0, 1, colour}, {x0, y1, 0, 1, colour},
                             {x1, y0, 0, 1, colour}, {x1, y1, 0, 1, colour}, {x0, y1, 0, 1, colour}};
        return dev->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 2, q, sizeof(ColourVertex));
    }

    uint32_t Pixel(int x, int y) { return D3D9TestReadPixel(back, x, y) & 0x00FFFFFFu; }

    // The set of covered pixels (non-black) as a string of rows, for fill-rule checks.
    std::string Coverage(int x0, int y0, int x1, int y1) {
        std::string s;
        for (int y = y0; y < y1; ++y) {
            for (int x = x0; x < x1; ++x) s += Pixel(x, y) ? '#' : '.';
            s += '\n';
        }
        return s;
    }

    IDirect3D9 *d3d = nullptr;
    IDirect3DDevice9 *dev = nullptr;
    IDirect3DSurface9 *back = nullptr;
    std::vector<IDirect3DTexture9 *> textures;
};
