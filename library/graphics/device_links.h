// What the device layer calls in the model renderer, which a program may be built without: it
// then gets a default that has nothing to do (device_state.cpp).
#pragma once

// Vertex and index buffers the models hold on the device.
int ReleaseAllModelDeviceResources();
