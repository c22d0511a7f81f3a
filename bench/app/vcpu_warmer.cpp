// Keeps every processor from going deeply idle while figures are taken, and does nothing else.
//
// On a virtual machine a processor that has halted is woken by the hypervisor, and the cost of
// that wake-up lands on whichever task the guest then runs: the sound server or the X server
// woken by a timer, say. The quieter the machine, the more often that happens, so a player that
// sleeps most of the time made the sound server look several times dearer than beside a player
// that keeps a processor busy (the same stream, the same system calls, 0.9 % against 4.2 % of a
// core). A thread per processor waking every 2 ms keeps them out of the halt for every player
// alike; its own cost is not counted in any figure. Usage: bench_vcpu_warmer (until killed)
#include <pthread.h>
#include <sched.h>
#include <time.h>
#include <unistd.h>

#include <thread>
#include <vector>

namespace {

void warm(int cpu) {
  cpu_set_t set;
  CPU_ZERO(&set);
  CPU_SET(cpu, &set);
  pthread_setaffinity_np(pthread_self(), sizeof set, &set); // best effort: it also works unpinned
  const timespec tick{0, 2'000'000};
  for (;;)
    nanosleep(&tick, nullptr);
}

} // namespace

int main() {
  const long cpus = sysconf(_SC_NPROCESSORS_ONLN);
  std::vector<std::thread> threads;
  for (int cpu = 1; cpu < cpus; ++cpu)
    threads.emplace_back(warm, cpu);
  warm(0);
}
