// Composes the show's music and writes it as an Impulse Tracker module.
// Usage: compose_music <output.it> [--plan]
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>

#include "ItWriter.h"
#include "Song.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s <output.it> [--plan]\n", argv[0]);
    return 2;
  }
  const auto began = std::chrono::steady_clock::now();
  const music::Song song = music::composeSong();
  const std::string problem = music::validate(song.module);
  if (!problem.empty()) {
    std::fprintf(stderr, "compose_music: %s\n", problem.c_str());
    return 1;
  }
  const std::vector<uint8_t> bytes = music::writeIt(song.module);
  std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) {
    std::fprintf(stderr, "compose_music: cannot write %s\n", argv[1]);
    return 1;
  }
  const double ms =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - began).count();
  if (argc > 2 && std::strcmp(argv[2], "--plan") == 0) {
    for (const std::string& line : song.plan) std::printf("%s\n", line.c_str());
    std::printf("end        %6.2f s\n", music::barStart(song.totalBars));
  }
  std::printf("compose_music: %s, %zu bytes, %d bars, %zu patterns, %zu orders, %.0f ms\n", argv[1],
              bytes.size(), song.totalBars, song.module.patterns.size(), song.module.orders.size(), ms);
  return 0;
}
