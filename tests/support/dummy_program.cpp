// A program for tests that start one: it appends a line to the file named by ZEP_DUMMY_MARK (when
// set) as it starts, then runs until the process that started it ends, or 20 seconds at most.
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <thread>
#include <unistd.h>

int main() {
    if (const char* mark = std::getenv("ZEP_DUMMY_MARK"))
        std::ofstream(mark, std::ios::app) << "started\n";
    const pid_t parent = ::getppid();
    for (int i = 0; i < 400 && ::getppid() == parent; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
}
