// What the device layer calls in the modules that live beside it: the shader pack, the 3D
// lights and the model renderer. A program built without one of them gets a default that
// has nothing to do (device_state.cpp).
#pragma once

// Shader pack: 1 when loaded, 0 on failure.
int LoadShaderPack();
// 1 when the shader is current, 0 otherwise.
int SelectVertexShader(int number);
int SelectPixelShader(int number);
// Shaders set to none on the device, every created shader object released.
int ReleaseShaderObjects();
// Closes the pack's archive and frees its decoded buffers.
int FreeShaderPack();

// Every light but the default one; then the default light (its handle becomes -1).
int DeleteAllLights();
int DeleteDefaultLight();

// Vertex and index buffers the models hold on the device.
int ReleaseAllModelDeviceResources();
