#pragma once

// Keeps freed memory of the process's heap for reuse instead of handing it back to the system.
// Qt's socket takes a fresh buffer for every read from the network, sized to what the network
// holds (up to the link's read buffer), and frees it once the reply path has read it; with the
// C library's default settings those buffers are mapped and unmapped, or the heap grows and is
// trimmed, every turn of a flood, and every page of them is faulted in afresh. Call once, first
// thing in main(). Does nothing where the C library is not glibc.
void reuseFreedHeapMemory();
