// The shot rows the game gives, kept as text apart from the table the code reads, with the
// game's index of kinds by behaviour: the shot-table test reads the table against them.
#pragma once

inline constexpr const char *kGivenShotRows = R"(
# The shot rows the game gives, one a line: half (enemy or player), kind, then the 22 fields
# in table order (behaviour, breaks blocks, stops at walls, harmful, hit half width and height,
# half width and height, cell x and y, vx, vy, direction, parameters A, B and C, hits both,
# knock-back, burst code, pushes objects, takes weapon, takes armour).
enemy 0 30 0 1 0 32 32 1 1 0 0 0 -8 -1 2 251 0 0 0 0 0 0 0
enemy 1 6 0 1 1 2 2 2 2 16 24 0 0 -1 2 30 0 0 0 0 0 0 0
enemy 2 3 0 1 0 0 0 2 2 0 0 10 10 1 130 0 0 0 0 0 0 0 0
enemy 7 12 0 1 1 6 2 8 4 128 16 -2 0 0 200 0 0 0 0 0 0 0 0
enemy 12 12 0 1 1 2 2 2 2 16 24 2 2 0 40 0 1 0 0 0 0 0 0
enemy 15 7 0 1 0 32 32 2 2 0 0 0 0 0 0 137 -0.4 0 0 0 0 0 0
enemy 22 19 0 1 0 128 16 128 16 0 160 0 0 0 60 0 0 0 0 0 0 0 0
enemy 24 39 0 0 0 16 16 0 0 96 0 1 1 1 96 0 9999 0 0 0 0 0 0
enemy 33 1 0 1 1 15 15 16 16 272 64 -2 -8 -1 3 9999 2 0 0 0 0 0 0
enemy 46 27 0 0 0 32 32 1 1 14 14 0 0 0 20 20 666 0 0 3 1 0 0
enemy 48 27 0 0 0 1024 1024 1 1 14 14 0 0 3 5 5 999 0 0 0 1 0 0
enemy 58 36 0 1 1 8 8 4 4 256 104 0 -10 1 10 143 1 0 0 0 0 0 0
enemy 81 47 0 1 0 1 1 1 1 0 0 0 -0.1 1 1000 102 0 0 0 0 0 0 0
enemy 118 56 0 1 0 128 128 1 1 0 0 0 0 0 10 200 0 0 0 0 0 0 0
enemy 141 59 0 0 0 1024 1024 1 1 14 14 0 0 0 0 0 1 1 0 0 0 0 0
enemy 142 64 0 0 0 1024 1024 1 1 14 14 0 0 0 0 0 4 1 0 5 0 0 0
player 0 1 0 1 0 32 32 1 1 0 0 -2 -8 -1 3 0 0 0 0 0 0 0 0
player 1 28 1 1 1 2 2 1 1 0 0 0 0 -1 0 0 0 0 0 0 0 0 0
player 2 1 0 1 0 32 32 2 2 18 18 0 -8 -1 3 251 0 0 0 0 0 0 0
player 3 1 0 1 0 32 32 2 2 18 18 0 8 -1 3 251 0 0 0 0 0 0 0
player 4 0 0 1 1 3 1 8 9 0 0 -6 0 -1 0 0 0 0 0 1 0 0 0
player 5 0 0 1 1 3 1 8 9 0 0 6 0 1 0 0 0 0 0 1 0 0 0
player 6 0 0 1 1 1 7 8 9 0 32 0 -6 1 0 0 0 0 0 1 0 0 0
player 7 0 0 1 1 1 7 8 9 0 32 0 6 1 0 0 0 0 0 1 0 0 0
player 8 8 0 0 1 16 16 16 16 0 256 0 0 -1 -10 -9 0 0 0 0 0 0 0
player 9 8 0 0 1 16 16 16 16 0 288 0 0 1 10 -9 0 0 0 0 0 0 0
player 10 9 0 0 1 8 2 8 8 48 32 0 0 -1 -4 4 0 0 0 0 0 0 0
player 11 9 0 0 1 8 2 8 8 48 16 0 0 1 4 4 0 0 0 0 0 0 0
player 12 67 0 0 1 8 2 8 8 48 32 0 0 -1 -4 4 0 0 0 0 0 0 0
player 13 67 0 0 1 8 2 8 8 48 16 0 0 1 4 4 0 0 0 0 0 0 0
player 14 4 0 0 1 7 1 8 9 0 48 0 0 -1 0 0 0 0 0 1 0 0 0
player 15 4 0 0 1 7 1 119 9 128 48 0 0 1 0 0 0 0 0 1 0 0 0
player 16 53 0 0 1 4 4 1 1 0 0 0 0 0 9999 0 2 0 0 0 0 0 0
player 17 12 1 1 1 6 2 8 4 128 16 -2 0 0 200 0 0 0 0 0 0 0 0
player 18 12 1 1 1 6 2 8 4 144 24 2 0 0 200 0 0 0 0 0 0 0 0
player 19 12 1 1 1 2 6 4 8 160 0 0 -2 0 200 0 0 0 0 0 0 0 0
player 20 12 1 1 1 2 6 4 8 168 0 0 2 0 200 0 0 0 0 0 0 0 0
player 21 15 0 1 1 16 8 16 8 160 32 -2 0 1 22 0 4 0 0 0 0 0 0
player 22 15 0 1 1 16 8 16 8 160 16 2 0 1 22 0 4 0 0 0 0 0 0
player 23 15 0 1 1 8 16 8 16 256 0 0 -2 -1 22 0 4 0 0 0 0 0 0
player 24 15 0 1 1 8 16 8 16 256 32 0 2 -1 22 0 4 0 0 0 0 0 0
player 25 16 0 1 1 8 8 8 8 128 32 -3 0 100 2 5 0 0 0 0 0 0 0
player 26 16 0 1 1 8 8 8 8 128 32 3 0 100 2 5 0 0 0 0 0 0 0
player 27 16 0 1 1 8 8 8 8 128 32 0 -3 100 2 0 0 0 0 0 0 0 0
player 28 16 0 1 1 8 8 8 8 128 32 0 3 100 2 0 0 0 0 0 0 0 0
player 29 68 0 1 1 10 3 12 8 304 48 -6 0 -1 0 0 0 0 0 1 0 0 0
player 30 68 0 1 1 10 3 12 8 304 32 6 0 1 0 0 0 0 0 1 0 0 0
player 31 68 0 1 1 3 10 8 12 304 64 0 -6 -1 0 0 0 0 0 1 0 0 0
player 32 68 0 1 1 3 10 8 12 304 88 0 6 1 0 0 0 0 0 1 0 0 0
player 33 65 0 0 1 16 16 16 16 144 384 0 0 -1 -10 -9 0 0 0 0 0 0 0
player 34 65 0 0 1 16 16 16 16 144 416 0 0 1 10 -9 0 0 0 0 0 0 0
player 35 12 0 0 1 1 1 0 0 2 9 0 0 0 1 0 1 0 0 1 0 0 0
player 36 57 0 1 0 128 128 1 1 0 0 0 0 -1 3 200 0 0 0 0 0 0 0
player 37 1 0 1 0 256 128 4 4 0 16 2 -8 -1 3 270 1 1 0 0 0 0 0
player 38 1 0 1 0 256 128 4 4 0 16 0 -8 -1 3 270 1 1 0 0 0 0 0
player 39 1 0 1 0 256 128 4 4 0 16 0 8 -1 3 270 1 1 0 0 0 0 0
player 40 20 0 1 1 27 20 32 32 0 192 -4 0 -1 1 50 1 0 5 0 0 0 0
player 41 20 0 1 1 27 20 32 32 192 192 4 0 -1 1 50 1 0 5 0 0 0 0
player 42 21 0 1 1 0 2 0 8 184 0 -6 0 -1 0 0 0 0 0 0 0 0 0
player 43 21 0 1 1 0 2 0 8 184 0 6 0 -1 0 0 0 0 0 0 0 0 0
player 44 1 0 1 1 6 6 8 8 256 64 -2 -8 -1 3 9999 2 0 0 0 0 0 0
player 45 1 0 1 1 6 6 8 8 256 64 2 -8 -1 3 200 2 0 0 0 0 0 0
player 46 1 0 1 1 6 6 8 8 256 64 0 -8 -1 3 200 2 0 0 0 0 0 0
player 47 1 0 1 1 6 6 8 8 256 64 0 8 -1 3 200 2 0 0 0 0 0 0
player 48 1 0 1 1 15 15 16 16 272 64 -2 -8 -1 3 9999 2 0 0 0 0 0 0
player 49 1 0 1 1 15 15 16 16 272 64 2 -8 -1 3 200 2 0 0 0 0 0 0
player 50 22 0 0 0 32 32 1 1 0 0 0 0 0 9999 0 2 0 0 0 0 0 0
player 51 12 0 1 1 6 2 8 4 128 16 -2 0 0 200 0 0 1 0 0 0 0 0
player 52 12 0 1 1 6 2 8 4 144 24 2 0 0 200 0 0 1 0 0 0 0 0
player 53 12 0 1 1 2 6 4 8 160 0 0 -2 0 200 0 0 1 0 0 0 0 0
player 54 12 0 1 1 2 6 4 8 168 0 0 2 0 200 0 0 1 0 0 0 0 0
player 55 15 0 1 1 16 8 16 8 160 32 -2 0 1 22 0 4 0 0 0 0 0 0
player 56 15 0 1 1 16 8 16 8 160 16 2 0 1 22 0 4 0 0 0 0 0 0
player 57 15 0 1 1 16 8 16 8 160 32 -2 1 1 22 0 4 0 0 0 0 0 0
player 58 15 0 1 1 16 8 16 8 160 16 2 1 1 22 0 4 0 0 0 0 0 0
player 59 15 0 1 1 16 8 16 8 160 32 -2 -1 1 22 0 4 0 0 0 0 0 0
player 60 15 0 1 1 16 8 16 8 160 16 2 -1 1 22 0 4 0 0 0 0 0 0
player 61 23 0 0 1 12 4 12 4 304 8 0 0 -1 -18 1 0 0 0 0 0 0 0
player 62 23 0 0 1 12 4 12 4 304 0 0 0 1 18 1 0 0 0 0 0 0 0
player 63 24 0 0 1 7 1 8 9 0 48 0 0 -1 0 0 0 0 0 0 0 0 0
player 64 24 0 0 1 7 1 119 9 128 48 0 0 1 0 0 0 0 0 0 0 0 0
player 65 25 0 0 1 3 3 4 4 256 96 0.5 0 0 -6 0 0 0 0 0 0 0 0
player 66 25 0 0 1 3 3 4 4 256 96 -0.5 0 0 6 0 0 0 0 0 0 0 0
player 67 8 0 0 1 16 16 16 16 0 320 0 0 -1 -10 -9 0 0 0 0 0 0 0
player 68 8 0 0 1 16 16 16 16 0 352 0 0 1 10 -9 0 0 0 0 0 0 0
player 69 27 0 0 0 32 32 1 1 14 14 0 0 0 -5 -2 0 0 0 0 1 0 0
player 70 27 0 0 0 32 32 1 1 14 14 0 0 0 5 -2 0 0 0 0 1 0 0
player 71 27 0 0 0 32 32 1 1 14 14 0 0 0 0 -5 0 0 0 0 1 0 0
player 72 27 0 0 0 32 32 1 1 14 14 0 0 0 0 5 0 0 0 0 1 0 0
player 73 28 0 1 1 1 1 1 1 0 0 0 0 -1 0 0 0 0 0 0 0 0 0
player 74 31 0 0 1 4 4 1 1 0 0 0 0 -1 0 0 0 0 0 0 0 0 0
player 75 8 0 0 1 16 16 16 16 0 384 0 0 -1 -10 -9 0 0 0 0 0 0 0
player 76 8 0 0 1 16 16 16 16 0 416 0 0 1 10 -9 0 0 0 0 0 0 0
player 77 33 0 0 0 32 32 8 16 0 448 0 0 1 10 -9 0 0 0 0 0 0 0
player 78 34 0 1 0 8 8 8 8 304 16 -1 -2 1 3 9999 2 0 0 0 0 0 0
player 79 34 0 1 0 8 8 8 8 304 16 1 -2 1 3 9999 2 0 0 0 0 0 0
player 80 35 0 1 0 1 1 1 1 0 0 -2 -8 -1 3 251 1 0 0 0 0 0 0
player 81 35 0 1 0 1 1 1 1 0 0 -2 -8 -1 3 251 -1 0 0 0 0 0 0
player 82 28 0 1 1 2 2 1 1 0 0 0 0 -1 0 0 1 0 0 0 0 0 0
player 83 28 0 1 1 2 2 1 1 0 0 0 0 1 0 0 -1 0 0 0 0 0 0
player 84 40 0 1 1 10 3 12 8 304 48 -6 0 -1 0 0 0 0 0 1 0 0 0
player 85 40 0 1 1 10 3 12 8 304 32 6 0 1 0 0 0 0 0 1 0 0 0
player 86 40 0 1 1 3 10 8 12 304 64 0 -6 -1 0 0 0 0 0 1 0 0 0
player 87 40 0 1 1 3 10 8 12 304 88 0 6 1 0 0 0 0 0 1 0 0 0
player 88 41 1 1 1 2 14 4 16 256 112 0 0 1 0 16 0 0 0 0 0 0 0
player 89 41 1 1 1 2 14 4 16 264 112 0 0 0 0 -16 0 0 0 0 0 0 0
player 90 42 0 0 1 30 30 32 32 96 320 0 0 1 0 0 0 0 0 0 0 0 0
player 91 64 0 0 1 1024 1024 1 1 14 14 0 0 0 0 0 1 1 0 0 0 0 0
player 92 27 0 0 0 32 32 1 1 14 14 0 0 0 -20 -2 0 0 0 10 1 0 0
player 93 27 0 0 0 32 32 1 1 14 14 0 0 0 20 -2 0 0 0 10 1 0 0
player 94 27 0 0 0 32 32 1 1 14 14 0 0 0 0 -20 0 0 0 10 1 0 0
player 95 27 0 0 0 32 32 1 1 14 14 0 0 0 0 20 0 0 0 10 1 0 0
player 96 27 0 0 0 32 32 1 1 14 14 0 0 3 5 5 999 0 0 0 1 0 0
player 97 66 0 0 1 4 4 1 1 14 14 0 0 -1 0 0 0 0 0 0 0 0 0
player 98 27 0 0 0 32 32 48 48 224 256 0 0 0 25 25 777 0 0 3 1 0 0
player 99 69 0 1 1 0 3 16 16 128 192 -12 0 -1 0 0 0 0 0 1 0 0 0
player 100 69 0 1 1 10 3 16 16 128 192 12 0 1 0 0 0 0 0 1 0 0 0
player 101 69 0 1 1 3 10 16 16 128 192 0 -12 -1 0 0 0 0 0 1 0 0 0
player 102 69 0 1 1 3 10 16 16 128 192 0 12 1 0 0 0 0 0 1 0 0 0
# Behaviour codes by kind, for every row of both halves: half, behaviour, kinds.
behaviour player 0 4-7
behaviour enemy 1 33-34,102
behaviour player 1 0,2-3,37-39,44-49
behaviour enemy 3 2,82
behaviour enemy 4 71-72
behaviour player 4 14-15
behaviour enemy 6 1
behaviour enemy 7 4-5,11,15-16
behaviour enemy 8 69-70
behaviour player 8 8-9,67-68,75-76
behaviour player 9 10-11
behaviour enemy 11 6
behaviour enemy 12 7-8,12-14,20-21,140,143-148
behaviour player 12 17-20,35,51-54
behaviour enemy 13 9,23,89
behaviour enemy 14 10
behaviour enemy 15 17-18,35-40
behaviour player 15 21-24,55-60
behaviour enemy 16 19
behaviour player 16 25-28
behaviour enemy 19 22
behaviour enemy 20 25-26,67-68
behaviour player 20 40-41
behaviour enemy 21 27-28
behaviour player 21 42-43
behaviour player 22 50
behaviour player 23 61-62
behaviour player 24 63-64
behaviour enemy 25 41-42
behaviour player 25 65-66
behaviour enemy 27 46,48-49,90,103,110,120,122
behaviour player 27 69-72,92-96,98
behaviour enemy 28 29-32,50-57,83,96-101
behaviour player 28 1,73,82-83
behaviour enemy 29 3,43-44,87-88
behaviour enemy 30 0
behaviour enemy 31 45
behaviour player 31 74
behaviour enemy 32 47,91
behaviour player 33 77
behaviour enemy 34 61-62
behaviour player 34 78-79
behaviour player 35 80-81
behaviour enemy 36 58,76
behaviour enemy 37 59-60
behaviour enemy 38 63-66
behaviour enemy 39 24,121
behaviour enemy 40 85-86
behaviour player 40 84-87
behaviour enemy 41 73-74
behaviour player 41 88-89
behaviour enemy 42 75
behaviour player 42 90
behaviour enemy 43 78
behaviour enemy 44 80
behaviour enemy 45 79
behaviour enemy 46 77
behaviour enemy 47 81
behaviour enemy 48 84
behaviour enemy 49 92
behaviour enemy 50 93-95
behaviour enemy 51 105-109
behaviour enemy 52 104
behaviour player 53 16
behaviour enemy 54 111
behaviour enemy 55 112-117
behaviour enemy 56 118
behaviour player 57 36
behaviour enemy 58 119
behaviour enemy 59 123,141
behaviour enemy 60 124
behaviour enemy 61 125-132
behaviour enemy 62 133-138
behaviour enemy 63 139
behaviour enemy 64 142
behaviour player 64 91
behaviour player 65 33-34
behaviour player 66 97
behaviour player 67 12-13
behaviour player 68 29-32
behaviour player 69 99-102
)";
