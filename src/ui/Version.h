#pragma once
/* The version of Pennora, in this one place: the version resource, the title
   strips and the About page show it, CMake and scripts/release read it. */
#define PENNORA_VERSION_MAJOR 2
#define PENNORA_VERSION_MINOR 5

#define PENNORA_STRINGIFY_(x) #x
#define PENNORA_STRINGIFY(x) PENNORA_STRINGIFY_(x)
#define PENNORA_VERSION_TEXT PENNORA_STRINGIFY(PENNORA_VERSION_MAJOR) "." PENNORA_STRINGIFY(PENNORA_VERSION_MINOR)
/* The caption of both title strips. */
#define PENNORA_STRIP_CAPTION "KestovaPennora " PENNORA_VERSION_TEXT
