// Puts the model system into the library's start-up (with the sine table, when a device exists)
// and its shut-down (every model deleted before graphics end). The model library's link options
// name kelmor_model_link, so every program that links the library keeps this file.
#include "library/base/component_links.h"
#include "library/base/sine_table.h"
#include "library/model/model.h"

extern "C" {
extern const int kelmor_model_link;
const int kelmor_model_link = [] {
    SetModelSystemResetFunc(InitModelSystem);
    g_modelLink = MODELLINK{DeleteAllModels};
    return 1;
}();
}
