# Cross-process event ping-pong against a pipe ping-pong between the same
# kind of processes, and the latency from a set to the wake of a waiter.
zel_bench(kernel_pingpong SOURCES kernel_pingpong.cpp LINK zel_kernel)
