/* glibc's aliases of its own names: not used outside glibc. */
#pragma once
