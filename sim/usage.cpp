#include "sim/usage.h"

#include "sim/control_commands.h"

namespace ntr::sim {
namespace {

constexpr const char* kOptions = R"(Usage:
  ntr-switch-sim --interface IF (--network FILE | --switch LINE ...) [options]
  ntr-switch-sim --make-firmware REVISION OUT [BODY-BYTES]
  ntr-switch-sim --ctl SOCKET COMMAND...
  ntr-switch-sim --help | --version

Simulates a network of NTR7100-8G, NTR7100-24G and NTR7100-8PoE switches on
one Ethernet interface, speaking the management protocol (EtherType 0xE812)
in raw frames: it answers the tool's frames to 03:5C:71:00:E8:12 with frames
to 03:5C:71:00:E8:13. Use it only on a private network (a network namespace
and one end of a veth pair): it answers every tool on the segment.

Options:
  --interface IF        the interface to capture and send on (needs root or
                        CAP_NET_RAW and CAP_NET_ADMIN)
  --network FILE        the network description (below)
  --switch LINE         one switch, as a description line without "switch"
  --host LINE           one host, as a description line without "host"
  --control PATH        control commands on the Unix socket PATH; "-" reads
                        them from standard input (replies on standard output;
                        the simulator ends when standard input ends)
  --request-log FILE    appends every request the switches receive to FILE
  --seed N              seed of the generator of injected losses (default 1)
  --make-firmware REVISION OUT [BODY-BYTES]
                        writes a valid firmware image for REVISION to OUT,
                        with a body of BODY-BYTES bytes (default 4096)
  --ctl SOCKET COMMAND...
                        sends each COMMAND to a running simulator's control
                        socket and prints the replies; exit status 1 when a
                        reply is an error
Once the interface is open and the network built, the simulator prints one
line starting with "ready" on standard output. SIGINT and SIGTERM end it.

Network description (one switch or host per line; '#' starts a comment):
  switch NAME model=MODEL [mac=MAC] [serial=TEXT] [firmware=TEXT]
         [bootrom=TEXT] [uplink=tool | uplink=PARENT:PORT] [port=N]
         [speed=2..6] [traffic=FPS] [sync-pending=N] [prepare-pending=N]
         [restart-ms=MS] [reported-model=NAME]
  host SWITCH:PORT MAC [poe=0..4] [speed=2..6] [traffic=FPS]
  A switch hangs on the tool's port (uplink=tool, the default; several such
  switches share the segment as through a hub) or on port PORT of a switch
  described before it; port=N is its own uplink port (default 1);
  reported-model=NAME makes it tell another model name (a model the tool
  does not know) while it behaves as MODEL. Hosts sit on further ports;
  poe=CLASS makes a host a powered device. speed is the partner's fastest link speed (port-speed codes 2 10-hdx .. 6 1000-fdx,
  default 6), traffic the frames per second each way that the counters
  count (default 50). Defaults: mac 02:5C:71:00:00:NN (NN the position),
  serial SIM and six digits, firmware and bootrom 1.00, restart-ms 3000.
  sync-pending and prepare-pending answer each synchronisation and firmware
  prepare "pending" (2) that many times before accepting it.
  Example:
    switch core model=NTR7100-24G
    switch edge model=NTR7100-8G uplink=core:3
    switch poe model=NTR7100-8PoE uplink=core:5 port=8
    host edge:2 00:AA:00:00:00:02
    host poe:1 00:AA:00:00:00:11 poe=3

Switch behaviour: discovery replies carry the switch's fingerprint (-1 in
factory state) and one neighbour MAC per port; function requests follow the
per-model availability (result 6 for a function the model lacks; 7 for an
operation the function does not take) and the switch's own value checks
(result 8). A synchronisation request, once accepted, returns every setting
to its default. "restart" and a completed firmware update make the switch
silent for restart-ms; it then answers again with its settings kept. Links,
loops and a stopping fan are announced with notices 20, 21, 22 and 23. A
retransmitted request (same transaction ID and contents as the last one)
gets the same answer again without the switch acting twice. The functions
the tool never requests answer as a switch would: status-led-mode (the LED
mode), status-macaddress-addr and -port (where a neighbour MAC is seen),
status-loopdetect-recovery-timer (seconds until a blocked port recovers),
reset-loopdetect and clear-macaddress-table (executed).

Control commands (one per line, one reply per command: "ok ..." or
"error ..."; help, list, dump and log reply with lines ended by "."):
)";

constexpr const char* kLogAndFirmware = R"(
Request log (--request-log, and the log command), one line per request:
  SEQ NAME MAC tid=TID REQUEST -> OUTCOME [answer=VALUE] [fingerprint=N]
                                          [answer-lost] [repeat]
  REQUEST: discovery | fingerprint | sync | firmware-prepare |
           firmware-abort | firmware-block N len=L |
           function OPERATION KEYWORD [INDEX [INDEX2]] [value=VALUE]
  OUTCOME: the result code answered, "silent" or "lost".

Firmware image format (numbers big-endian):
  offset 0   8 bytes  magic code "NTRFW" 00 01 00, checked on block 0:
                      anything else is result 3 (magic code)
  offset 8   4 bytes  body length N
  offset 12 64 bytes  the new firmware revision, zero-padded
  offset 76  N bytes  body
  then       4 bytes  CRC-32 (zlib crc32) of all bytes before it
  At the empty final block the switch checks the length (80 + N) and the
  CRC: result 4 (checksum) when either is wrong; with "set SW flash-fail on"
  a valid image ends in result 5 (flash write failed). Otherwise it answers
  0, restarts, and comes back with the new revision.
)";

}  // namespace

std::string UsageText() {
  return std::string(kOptions) + std::string(ControlCommandsHelp()) + kLogAndFirmware;
}

}  // namespace ntr::sim
