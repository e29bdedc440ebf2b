// The MQO reader's steps: the scanner and the fill step alone (file image -> read data).
#pragma once

struct MODELLOADDATA;

constexpr int MQO_TOKEN_BUFFER = 1024;  // bytes of a token, its quotes and a 0 included
constexpr int MQO_DEPTH_MAX = 1024;     // object depths 0 .. 1023
constexpr int MQO_MATERIAL_NUMBERS = 1024;
constexpr int MQO_FACE_CORNERS = 32;

struct MQOSCAN {
    const char *image;
    int size;
    int position;
};

// The next token copied NUL-terminated: 0; 1 at the end of the data; -1 for a byte no token
// starts with, a string the data ends in, or a token longer than MQO_TOKEN_BUFFER - 1.
int ReadMqoToken(MQOSCAN *scan, char *token);

// The file image read into a new read data, which the caller then owns. 0, or -1 (the read data
// already released; silently for a file that is not an MQO file).
int FillMqoLoadData(const void *image, int size, const char *path, const char *name, MODELLOADDATA *data);
