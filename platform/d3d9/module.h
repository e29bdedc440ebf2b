// What the module loader asks the Direct3D 9 stand-in's test face about "d3d9.dll".
#pragma once

bool D3D9ModuleLoadRefused();  // a scripted LoadLibraryA failure (consumed)
bool D3D9EntryPointHidden();   // GetProcAddress finds no Direct3DCreate9
