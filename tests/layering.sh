#!/usr/bin/env bash
# The library and the game reach the host only through the stand-in's platform names:
# no SDL or POSIX header, no host header and no stand-in internals in library/ or game/.
set -u
top=$(cd "$(dirname "$0")/.." && pwd)
bad=$(grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"]((SDL2?/|SDL)[^>"]*|unistd\.h|pthread\.h|sys/[^>"]*|dirent\.h|fcntl\.h|dlfcn\.h|iconv\.h|semaphore\.h|signal\.h|platform/host/[^">]*|platform/[a-z0-9]+/internal\.h)[>"]' \
      "$top/library" "$top/game" --include='*.h' --include='*.cpp')
if [ -n "$bad" ]; then
  echo "host or stand-in internal headers included from library/ or game/:"
  echo "$bad"
  exit 1
fi
echo "library/ and game/ include no host header"
