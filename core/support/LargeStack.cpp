#include "core/support/LargeStack.hpp"

#include "core/support/ErrorText.hpp"

#include <exception>
#include <pthread.h>
#include <stdexcept>
#include <string>

namespace tovrane {
namespace {

struct Job {
  const std::function<void()>* fn;
  std::exception_ptr error;
};

void* runJob(void* raw) {
  auto* job = static_cast<Job*>(raw);
  try {
    (*job->fn)();
  } catch (...) {
    job->error = std::current_exception();
  }
  return nullptr;
}

}  // namespace

void runWithLargeStack(const std::function<void()>& fn, std::size_t stackSize) {
  pthread_attr_t attributes;
  pthread_attr_init(&attributes);
  pthread_attr_setstacksize(&attributes, stackSize);
  Job job{&fn, nullptr};
  pthread_t thread;
  const int rc = pthread_create(&thread, &attributes, runJob, &job);
  pthread_attr_destroy(&attributes);
  if (rc != 0) throw std::runtime_error("Thread konnte nicht gestartet werden: " + errortext::systemText(rc));
  pthread_join(thread, nullptr);
  if (job.error) std::rethrow_exception(job.error);
}

}  // namespace tovrane
