// Models on the Direct3D stand-in with graphics started for real on a 320 x 240 window screen:
// the back screen as draw target with its own camera (world units are pixels, y up, z into the
// screen), the model system set up, lighting off as the game has it. Optionally the device reports
// shader model 2.0, so that it is made with hardware vertex processing and the models get their
// device buffers (there is no shader pack, so drawing stays fixed-function).
#pragma once

#include "fixtures/reference_raster.h"
#include "graphics/device_fixture.h"
#include "library/base/library.h"
#include "library/base/window.h"
#include "library/graphics/device.h"
#include "library/graphics/screen.h"
#include "library/graphics/state3d.h"
#include "library/graphics/vertex_batch.h"
#include "library/model/model.h"
#include "library/model/model_base.h"
#include "library/model/model_buffers.h"
#include "model/model_builder.h"
#include "platform/testing/d3d9.h"
#include "platform/host/headless/frame_png.h"

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

class ModelScreenTest : public DeviceTest {
protected:
    static constexpr int kW = 320, kH = 240;
    static constexpr uint32_t kBackground = 0x203040;

    virtual bool ShaderCaps() const { return false; }
    // Runs right before graphics start.
    virtual void BeforeStart() {}

    void SetUp() override {
        DeviceTest::SetUp();
        D3D9TestSetDesktop(1280, 1024, D3DFMT_X8R8G8B8, 60);
        if (ShaderCaps()) {
            D3D9TestCaps().VertexShaderVersion = D3DVS_VERSION(2, 0);
            D3D9TestCaps().PixelShaderVersion = D3DPS_VERSION(2, 0);
        }
        savedLibrary_ = g_library;
        g_library.initialised = 1;
        g_window.settings.backgroundColour = (int)kBackground;
        g_window.active = 1;
        g_screenState = SCREENSTATE{};
        g_drawState.vsyncWaitOff = 1;
        g_screenSetup.width = kW;
        g_screenSetup.height = kH;
        g_screenSetup.bits = 32;
        BeforeStart();
        ASSERT_EQ(StartGraphics(), 0);
        ASSERT_EQ(g_screenSetup.direct3D, 1);
        ASSERT_EQ(SetDrawTarget(BACK_PAGE), 0);
        DeleteAllModels();
        g_modelSystem = MODELSYSTEM{};
        ASSERT_EQ(InitModelSystem(), 0);
        ASSERT_EQ(g_modelSystem.started, 1);
        EnableLighting(0);
        ClearDrawTarget();
    }

    void TearDown() override {
        DeleteAllModels();
        DeviceTest::TearDown();
        g_library = savedLibrary_;
        g_screenState = SCREENSTATE{};
    }

    // A model of the base, with the base's device buffers built as LoadModel does.
    int Model(int base) {
        BuildModelBaseVertexBuffers(base);
        const int model = AddModelSlot();
        EXPECT_EQ(CreateModelFromBase(model, base), 0);
        return model;
    }

    static std::vector<uint32_t> Screen() {
        FlushVertexBatch();
        std::vector<uint32_t> p = D3D9TestReadSurface(g_deviceState.backBuffer);
        for (uint32_t &c : p) c &= 0xFFFFFF;
        return p;
    }

    // Saved beside the test programs for a person to look at.
    void SavePicture(const std::string &name, const std::vector<uint32_t> &pixels) {
        const std::filesystem::path dir = savedCwd_ / "model-pictures";
        std::filesystem::create_directories(dir);
        PlatformWriteFramePng((dir / name).string().c_str(), pixels.data(), kW, kH, kW * 4);
    }

    static D3DMATRIX DeviceTransform(D3DTRANSFORMSTATETYPE type) {
        D3DMATRIX m{};
        g_deviceState.device->GetTransform(type, &m);
        return m;
    }

    // The model matrix by its formula: rotate (x, then y, then z), scale, translate.
    static D3DMATRIX ModelMatrix(VEC3 r, VEC3 s, VEC3 t) {
        auto rot = [](int axis, double a) {
            D3DMATRIX m{};
            m._11 = m._22 = m._33 = m._44 = 1;
            const float c = (float)std::cos(a), sn = (float)std::sin(a);
            if (axis == 0) m._22 = c, m._23 = sn, m._32 = -sn, m._33 = c;
            if (axis == 1) m._11 = c, m._13 = -sn, m._31 = sn, m._33 = c;
            if (axis == 2) m._11 = c, m._12 = sn, m._21 = -sn, m._22 = c;
            return m;
        };
        D3DMATRIX scale{}, move{};
        scale._11 = s.x, scale._22 = s.y, scale._33 = s.z, scale._44 = 1;
        move._11 = move._22 = move._33 = move._44 = 1;
        move._41 = t.x, move._42 = t.y, move._43 = t.z;
        return RefMultiply(RefMultiply(RefMultiply(RefMultiply(rot(0, r.x), rot(1, r.y)), rot(2, r.z)), scale), move);
    }

    // The triangles of a base's rigid meshes through `world`, flat in their first vertex's colour.
    static void AddReference(std::vector<REFTRIANGLE> &out, const MV1BASE *base, const D3DMATRIX &world) {
        const D3DMATRIX wvp =
            RefMultiply(RefMultiply(world, DeviceTransform(D3DTS_VIEW)), DeviceTransform(D3DTS_PROJECTION));
        D3DVIEWPORT9 vp;
        g_deviceState.device->GetViewport(&vp);
        for (int m = 0; m < base->meshCount; ++m) {
            const MV1MESH &mesh = base->meshes[m];
            for (int f = 0; f < mesh.faceCount; ++f) {
                REFTRIANGLE t;
                for (int k = 0; k < 3; ++k) {
                    const MV1MESHVERTEX *v = MeshVertex(&mesh, mesh.faces[f].vertex[k]);
                    const VEC3 &p = FramePosition(mesh.frame, v->position)->position;
                    t.p[k] = RefProject(wvp, vp, p.x, p.y, p.z);
                }
                t.colour = MeshVertex(&mesh, mesh.faces[f].vertex[0])->diffuse & 0xFFFFFF;
                out.push_back(t);
            }
        }
    }

    // The calls one RenderModel makes.
    static std::vector<std::string> RecordRender(int model) {
        FlushVertexBatch();
        D3D9TestRecordCalls(true);
        D3D9TestTakeCalls();
        EXPECT_EQ(RenderModel(model), 0);
        FlushVertexBatch();
        std::vector<std::string> calls = D3D9TestTakeCalls();
        D3D9TestRecordCalls(false);
        return calls;
    }
    static int CountCalls(const std::vector<std::string> &calls, const std::string &prefix) {
        int n = 0;
        for (const std::string &c : calls) n += c.rfind(prefix, 0) == 0;
        return n;
    }

    static int Mismatches(const std::vector<uint32_t> &a, const std::vector<uint32_t> &b) {
        int n = 0;
        for (size_t i = 0; i < a.size() && i < b.size(); ++i) n += a[i] != b[i];
        return n + (int)(a.size() > b.size() ? a.size() - b.size() : b.size() - a.size());
    }

    LIBSTATE savedLibrary_{};
};

class ModelBufferTest : public ModelScreenTest {
protected:
    bool ShaderCaps() const override { return true; }
};
