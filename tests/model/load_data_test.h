// Tests of a reader's fill step: the read data it fills (released at the end, or before the next
// fill), the file image kept alive behind it, and lookups by name.
#pragma once

#include "library/model/model_load_data.h"
#include "model/live_blocks.h"
#include "model/model_fixture.h"

#include <cstring>
#include <string>

class LoadDataTest : public LogStartTest {
protected:
    std::string Log() { return PlatformTestTakeDebugOutput(); }

    // Keeps the bytes (with the 0 byte LoadModel puts behind them) for the fill that follows.
    const char *Image(const std::string &file) {
        Release();
        image_ = file;
        return image_.c_str();
    }
    // A fill step's result, remembered so that its read data is released.
    int Keep(int result) {
        filled_ = result == 0;
        return result;
    }
    void Release() {
        if (filled_) TermModelLoadData(&data_);
        filled_ = false;
    }
    void TearDown() override {
        Release();
        LogStartTest::TearDown();
    }

    template <class T>
    static const T *Named(const T *first, const char *name) {
        for (const T *r = first; r; r = r->next)
            if (std::strcmp(r->name, name) == 0) return r;
        return nullptr;
    }
    const MODELLOADFRAME *Frame(const char *name) const { return Named(data_.firstFrame, name); }
    const MODELLOADMATERIAL *Material(const char *name) const { return Named(data_.firstMaterial, name); }
    const MODELLOADANIM *Anim(const char *frame) const {
        for (const MODELLOADANIM *a = data_.firstAnim; a; a = a->next)
            if (std::strcmp(a->frameName, frame) == 0) return a;
        return nullptr;
    }

    MODELLOADDATA data_{};
    bool filled_ = false;
    std::string image_;
};
