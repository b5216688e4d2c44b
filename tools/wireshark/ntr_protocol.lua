-- Wireshark dissector for the management protocol of the NTR7100 switches:
-- Ethernet frames of EtherType 0xE812 carrying one BER-encoded message each
-- (a SEQUENCE of header value, transaction ID, source and destination MAC and
-- one [APPLICATION n] body). It decodes every body: discovery requests and
-- replies with their MAC lists, the firmware messages and blocks, function
-- requests and responses (function IDs shown with their keywords, values with
-- their types and words), fingerprint and synchronisation messages, and the
-- switches' notices. A response carries no function ID; it is shown with the
-- keyword of the request of the same transaction ID sent to that switch.
--
-- Install: copy this file into Wireshark's plugin folder
-- (~/.local/lib/wireshark/plugins/ for one user; the Debian package puts it
-- in the global one), or load it once: wireshark -X lua_script:ntr_protocol.lua

local ntr = Proto("ntr", "NTR switch management protocol")

-- BEGIN FUNCTION TABLE (printed by ntr-function-table; do not edit by hand)
local functions = {
  [0x0101] = { keyword = "boot-rom-version", value_type = 1, index_type = 0, words = nil },
  [0x0102] = { keyword = "firmware-revision", value_type = 1, index_type = 0, words = nil },
  [0x0103] = { keyword = "serial-number", value_type = 1, index_type = 0, words = nil },
  [0x0104] = { keyword = "model-name", value_type = 1, index_type = 0, words = nil },
  [0x0105] = { keyword = "system-macaddress", value_type = 1, index_type = 0, words = nil },
  [0x0106] = { keyword = "system-name", value_type = 1, index_type = 0, words = nil },
  [0x0107] = { keyword = "energy-saving", value_type = 0, index_type = 0, words = { [0] = "off", [1] = "on" } },
  [0x0108] = { keyword = "led-brightness", value_type = 0, index_type = 0, words = { [0] = "normal", [1] = "economy" } },
  [0x0109] = { keyword = "status-led-mode", value_type = 0, index_type = 0, words = nil },
  [0x010A] = { keyword = "status-fan", value_type = 0, index_type = 0, words = nil },
  [0x010B] = { keyword = "restart", value_type = 2, index_type = 0, words = nil },
  [0x010E] = { keyword = "status-fan-rpm ", value_type = 0, index_type = 1, words = nil },
  [0x0201] = { keyword = "port-speed", value_type = 0, index_type = 1, words = { [1] = "auto", [2] = "10-hdx", [3] = "10-fdx", [4] = "100-hdx", [5] = "100-fdx", [6] = "1000-fdx" } },
  [0x0202] = { keyword = "port-use", value_type = 0, index_type = 1, words = { [0] = "off", [1] = "on" } },
  [0x0203] = { keyword = "port-auto-crossover", value_type = 0, index_type = 1, words = { [0] = "off", [1] = "on" } },
  [0x0204] = { keyword = "port-speed-downshift", value_type = 0, index_type = 1, words = { [0] = "off", [1] = "on" } },
  [0x0205] = { keyword = "port-flow-control", value_type = 0, index_type = 1, words = { [0] = "off", [1] = "on" } },
  [0x0206] = { keyword = "status-port-speed", value_type = 0, index_type = 1, words = nil },
  [0x0207] = { keyword = "port-blocking-control-packet", value_type = 0, index_type = 1, words = { [0] = "off", [1] = "on" } },
  [0x0208] = { keyword = "port-blocking-data-packet", value_type = 0, index_type = 1, words = { [0] = "off", [1] = "on" } },
  [0x0301] = { keyword = "macaddress-aging", value_type = 0, index_type = 0, words = { [0] = "off", [1] = "on" } },
  [0x0302] = { keyword = "macaddress-aging-timer", value_type = 0, index_type = 0, words = nil },
  [0x0303] = { keyword = "status-macaddress-addr", value_type = 0, index_type = 2, words = nil },
  [0x0304] = { keyword = "status-macaddress-port", value_type = 1, index_type = 1, words = nil },
  [0x0305] = { keyword = "clear-macaddress-table", value_type = 2, index_type = 0, words = nil },
  [0x0401] = { keyword = "vlan-id", value_type = 0, index_type = 4, words = nil },
  [0x0402] = { keyword = "vlan-port-mode", value_type = 0, index_type = 1, words = { [0] = "access", [1] = "trunk", [2] = "hybrid" } },
  [0x0403] = { keyword = "vlan-access", value_type = 0, index_type = 1, words = nil },
  [0x0404] = { keyword = "vlan-trunk", value_type = 0, index_type = 8, words = { [0] = "leave", [1] = "join" } },
  [0x0405] = { keyword = "vlan-multiple-use", value_type = 0, index_type = 0, words = { [0] = "off", [1] = "on" } },
  [0x0406] = { keyword = "vlan-multiple", value_type = 0, index_type = 6, words = { [0] = "leave", [1] = "join" } },
  [0x0501] = { keyword = "qos-dscp-remark-type", value_type = 0, index_type = 1, words = { [0] = "off", [1] = "af", [2] = "cs" } },
  [0x0502] = { keyword = "qos-dscp-remark-class", value_type = 0, index_type = 1, words = { [0] = "off", [1] = "class1", [2] = "class2", [3] = "class3", [4] = "class4" } },
  [0x0503] = { keyword = "qos-speed-unit", value_type = 0, index_type = 0, words = { [0] = "128k", [1] = "1m", [2] = "10m", [3] = "32m" } },
  [0x0504] = { keyword = "qos-policing-use", value_type = 0, index_type = 1, words = { [0] = "off", [1] = "on" } },
  [0x0505] = { keyword = "qos-policing-speed", value_type = 0, index_type = 1, words = nil },
  [0x0506] = { keyword = "qos-shaping-use", value_type = 0, index_type = 1, words = { [0] = "off", [1] = "on" } },
  [0x0507] = { keyword = "qos-shaping-speed", value_type = 0, index_type = 1, words = nil },
  [0x0601] = { keyword = "mirroring-use", value_type = 0, index_type = 0, words = { [0] = "off", [1] = "on" } },
  [0x0602] = { keyword = "mirroring-dest", value_type = 0, index_type = 0, words = nil },
  [0x0603] = { keyword = "mirroring-src-rx", value_type = 0, index_type = 1, words = { [0] = "off", [1] = "on" } },
  [0x0604] = { keyword = "mirroring-src-tx", value_type = 0, index_type = 1, words = { [0] = "off", [1] = "on" } },
  [0x0701] = { keyword = "counter-frame-rx-type", value_type = 0, index_type = 7, words = { [0] = "packets", [1] = "broadcast-and-multicast-packets", [2] = "total-error-packets", [3] = "broadcast-packets", [4] = "multicast-packets", [5] = "packets-64-octets", [6] = "packets-65-to-127-octets", [7] = "packets-128-to-255-octets", [8] = "packets-256-to-511-octets", [9] = "packets-512-to-1023-octets", [10] = "packets-1024-to-1526-octets", [11] = "pause", [12] = "fifo-drops", [13] = "total-good-packets", [14] = "class-0", [15] = "class-1", [16] = "class-2", [17] = "class-3", [18] = "backward-drops", [19] = "classifier-drops", [20] = "crc-align-errors", [21] = "under-size-packets", [22] = "over-size-packets", [23] = "fragments", [24] = "jabbers", [25] = "control-packets" } },
  [0x0702] = { keyword = "counter-frame-tx-type", value_type = 0, index_type = 7, words = { [0] = "packets", [1] = "broadcast-and-multicast-packets", [2] = "total-error-packets", [3] = "broadcast-packets", [4] = "multicast-packets", [5] = "packets-64-octets", [6] = "packets-65-to-127-octets", [7] = "packets-128-to-255-octets", [8] = "packets-256-to-511-octets", [9] = "packets-512-to-1023-octets", [10] = "packets-1024-to-1526-octets", [11] = "pause", [12] = "fifo-drops", [13] = "total-good-packets", [14] = "class-0", [15] = "class-1", [16] = "class-2", [17] = "class-3", [26] = "drops", [27] = "collisions", [28] = "cfi-drop" } },
  [0x0703] = { keyword = "status-counter-frame-rx", value_type = 0, index_type = 7, words = nil },
  [0x0704] = { keyword = "status-counter-frame-tx", value_type = 0, index_type = 7, words = nil },
  [0x0705] = { keyword = "status-counter-octet-rx", value_type = 0, index_type = 1, words = nil },
  [0x0706] = { keyword = "status-counter-octet-tx", value_type = 0, index_type = 1, words = nil },
  [0x0707] = { keyword = "clear-counter", value_type = 2, index_type = 0, words = nil },
  [0x0801] = { keyword = "loopdetect-count", value_type = 0, index_type = 0, words = nil },
  [0x0802] = { keyword = "loopdetect-time", value_type = 0, index_type = 0, words = nil },
  [0x0803] = { keyword = "loopdetect-linkdown", value_type = 0, index_type = 0, words = { [0] = "none", [1] = "linkdown", [2] = "linkdown-recovery" } },
  [0x0804] = { keyword = "loopdetect-recovery-timer", value_type = 0, index_type = 0, words = nil },
  [0x0805] = { keyword = "loopdetect-port-use", value_type = 0, index_type = 1, words = { [0] = "off", [1] = "on" } },
  [0x0806] = { keyword = "status-loopdetect-port", value_type = 0, index_type = 1, words = nil },
  [0x0807] = { keyword = "status-loopdetect-recovery-timer", value_type = 0, index_type = 1, words = nil },
  [0x0808] = { keyword = "reset-loopdetect", value_type = 2, index_type = 0, words = nil },
  [0x0809] = { keyword = "loopdetect-use-control-packet", value_type = 0, index_type = 0, words = { [0] = "off", [1] = "on" } },
  [0x0901] = { keyword = "poe-class", value_type = 0, index_type = 1, words = { [0] = "none", [4] = "class3", [5] = "class4" } },
  [0x0902] = { keyword = "status-poe-supply", value_type = 0, index_type = 1, words = nil },
  [0x0903] = { keyword = "status-poe-detect-class", value_type = 0, index_type = 1, words = nil },
  [0x0904] = { keyword = "status-poe-temperature", value_type = 0, index_type = 0, words = nil },
  [0x0905] = { keyword = "status-poe-state", value_type = 0, index_type = 1, words = nil },
  [0x0906] = { keyword = "restart-poe-supply", value_type = 2, index_type = 0, words = nil },
  [0x0A01] = { keyword = "routebackup-backup-port", value_type = 0, index_type = 1, words = nil },
}
-- END FUNCTION TABLE

local applications = {
  [0] = "discovery request", [1] = "discovery reply",
  [2] = "firmware prepare", [3] = "firmware prepare answer",
  [4] = "firmware block", [5] = "firmware block answer",
  [6] = "firmware abort", [7] = "firmware abort answer",
  [8] = "function request", [9] = "function response",
  [10] = "fingerprint query", [11] = "fingerprint answer",
  [12] = "synchronisation request", [13] = "synchronisation answer",
  [14] = "application 14",
  [20] = "port speed notice", [21] = "port link-down notice", [22] = "fan notice",
  [23] = "loop notice", [25] = "notice 25", [26] = "notice 26",
}
local operations = { [0] = "set", [1] = "set-default", [2] = "get", [3] = "execute" }
local value_types = { [0] = "integer", [1] = "octets", [2] = "none" }
local index_types = {
  [0] = "none", [1] = "integer", [2] = "MAC address", [3] = "integer", [4] = "integer",
  [5] = "two integers", [6] = "two integers", [7] = "two integers", [8] = "two integers",
}
local results = {
  [0] = "success", [1] = "busy", [2] = "pending", [3] = "magic code does not match",
  [4] = "checksum does not match", [5] = "flash write failed", [6] = "no such function",
  [7] = "invalid access", [8] = "invalid parameter",
}

local f = ntr.fields
f.header = ProtoField.int32("ntr.header", "Header value")
f.tid = ProtoField.int32("ntr.tid", "Transaction ID")
f.src = ProtoField.ether("ntr.src", "Source MAC")
f.dst = ProtoField.ether("ntr.dst", "Destination MAC")
f.app = ProtoField.int32("ntr.app", "Application", base.DEC, applications)
f.result = ProtoField.int32("ntr.result", "Result", base.DEC, results)
f.padding = ProtoField.bytes("ntr.padding", "Padding")
-- Function requests and responses.
f.leading = ProtoField.int32("ntr.func.leading", "Leading value")
f.op = ProtoField.int32("ntr.func.op", "Operation", base.DEC, operations)
f.id = ProtoField.uint16("ntr.func.id", "Function ID", base.HEX)
f.keyword = ProtoField.string("ntr.func.keyword", "Keyword")
f.index = ProtoField.int32("ntr.func.index", "Index")
f.index2 = ProtoField.int32("ntr.func.index2", "Second index")
f.index_mac = ProtoField.ether("ntr.func.index_mac", "Index MAC")
f.index_type = ProtoField.int32("ntr.func.index_type", "Index type", base.DEC, index_types)
f.second = ProtoField.int32("ntr.func.second", "Second value")
f.request_in = ProtoField.framenum("ntr.func.request_in", "Request in frame")
f.value_type = ProtoField.int32("ntr.value.type", "Value type", base.DEC, value_types)
f.value = ProtoField.int64("ntr.value.int", "Value")
f.text = ProtoField.string("ntr.value.text", "Value")
f.octets = ProtoField.bytes("ntr.value.octets", "Value octets")
f.word = ProtoField.string("ntr.value.word", "Value word")
-- Discovery.
f.query = ProtoField.int32("ntr.disc.query", "Query value")
f.requester = ProtoField.ether("ntr.disc.requester", "Requester MAC")
f.listed = ProtoField.ether("ntr.disc.listed", "Listed MAC")
f.listed_count = ProtoField.uint8("ntr.disc.listed_count", "Listed count")
f.switch_mac = ProtoField.ether("ntr.disc.switch", "Switch MAC")
f.fingerprint = ProtoField.int32("ntr.fingerprint", "Settings fingerprint")
f.text1 = ProtoField.string("ntr.disc.text1", "First text")
f.text2 = ProtoField.string("ntr.disc.text2", "Second text")
f.neighbour_port = ProtoField.uint8("ntr.disc.port", "Port")
f.neighbour = ProtoField.ether("ntr.disc.neighbour", "Neighbour MAC")
f.neighbour_count = ProtoField.uint8("ntr.disc.neighbour_count", "Neighbour count")
-- Firmware blocks.
f.block = ProtoField.int32("ntr.fw.block", "Block number")
f.block_length = ProtoField.uint16("ntr.fw.length", "Data length")
f.block_data = ProtoField.bytes("ntr.fw.data", "Data")
-- Notices.
f.port = ProtoField.int32("ntr.notice.port", "Port")
f.notice_value = ProtoField.int32("ntr.notice.value", "Value")

local e = ntr.experts
e.malformed = ProtoExpert.new("ntr.malformed", "Malformed message", expert.group.MALFORMED,
                              expert.severity.ERROR)
e.unknown_function = ProtoExpert.new("ntr.unknown_function", "Function ID not in the table",
                                     expert.group.PROTOCOL, expert.severity.WARN)
e.type_mismatch = ProtoExpert.new("ntr.type_mismatch", "Value type differs from the function's",
                                  expert.group.PROTOCOL, expert.severity.WARN)
e.no_request = ProtoExpert.new("ntr.no_request", "No request with this transaction ID seen",
                               expert.group.SEQUENCE, expert.severity.NOTE)

-- Requests by transaction ID and switch, and the request each response
-- answers (by frame number, so that later passes see the first pass's pairs).
local pending = {}
local answered = {}
function ntr.init()
  pending = {}
  answered = {}
end

-- A failure to decode: raised with error() and caught in the dissector.
local Malformed = {}

local function fail(reason)
  error({ malformed = Malformed, reason = reason }, 0)
end

-- One BER element at `pos` (before `limit`): identifier, content position and
-- length, and the position after it.
local function element(tvb, pos, limit, expected, what)
  if pos >= limit then fail("no " .. what) end
  local identifier = tvb(pos, 1):uint()
  if identifier ~= expected then
    fail(string.format("%s: identifier 0x%02X, expected 0x%02X", what, identifier, expected))
  end
  if pos + 1 >= limit then fail(what .. ": no length") end
  local first = tvb(pos + 1, 1):uint()
  local length, header = first, 2
  if first >= 0x80 then
    local count = first - 0x80
    if count == 0 or count > 3 or pos + 2 + count > limit then fail(what .. ": bad length") end
    length = 0
    for i = 1, count do length = length * 256 + tvb(pos + 1 + i, 1):uint() end
    header = 2 + count
  end
  local content = pos + header
  if content + length > limit then fail(what .. ": longer than the message") end
  return { pos = pos, content = content, length = length, next = content + length,
           total = header + length }
end

local function peek(tvb, pos, limit)
  if pos >= limit then return nil end
  return tvb(pos, 1):uint()
end

-- An INTEGER as an Int64 (the last eight octets count) and its range.
local function integer(tvb, pos, limit, what)
  local el = element(tvb, pos, limit, 0x02, what)
  if el.length == 0 then return Int64(0), tvb(pos, el.total), el.next end
  local count = math.min(el.length, 8)
  return tvb(el.next - count, count):int64(), tvb(pos, el.total), el.next
end

local function add_integer(tree, field, tvb, pos, limit, what)
  local value, range, after = integer(tvb, pos, limit, what)
  local number = value:tonumber()
  tree:add(field, range, number)
  return number, after
end

local function add_result(tree, tvb, pos, limit)
  local value, range, after = integer(tvb, pos, limit, "result")
  local number = value:tonumber()
  if number < 0 or number > 8 then number = 100 end
  tree:add(f.result, range, number)
  return number, after
end

-- Six octets as the tool writes a MAC address: 02:5C:71:00:00:01.
local function mac_text(range)
  return (range:bytes():tohex():upper():gsub("(%x%x)", "%1:"):sub(1, -2))
end

-- An OCTET STRING of six octets as a MAC address (shorter ones as they are).
local function add_mac(tree, field, tvb, pos, limit, what)
  local el = element(tvb, pos, limit, 0x04, what)
  if el.length == 6 then
    tree:add(field, tvb(el.content, 6))
    return mac_text(tvb(el.content, 6)), el.next
  end
  tree:add(field, tvb(pos, el.total), "00:00:00:00:00:00")
  return "(" .. el.length .. " octets)", el.next
end

local function octet_text(tvb, el)
  if el.length == 0 then return "" end
  return tvb(el.content, el.length):string()
end

local function add_text(tree, field, tvb, pos, limit, what)
  local el = element(tvb, pos, limit, 0x04, what)
  local text = octet_text(tvb, el)
  tree:add(field, tvb(pos, el.total), text)
  return text, el.next
end

-- A SEQUENCE of OCTET STRING(6) entries (at most `most`), each added by `add`.
local function mac_list(tree, tvb, pos, limit, most, what, add)
  local seq = element(tvb, pos, limit, 0x30, what)
  local p, count = seq.content, 0
  while count < most and p < seq.next do
    local el = element(tvb, p, seq.next, 0x04, what .. " entry")
    count = count + 1
    add(count, el)
    p = el.next
  end
  return count, tvb(pos, seq.total), seq.next
end

local function word_of(entry, number)
  if entry ~= nil and entry.words ~= nil then return entry.words[number] end
  return nil
end

-- A value: INTEGER, OCTET STRING or NULL, by its identifier.
local function add_value(tree, tvb, pos, limit, entry)
  local identifier = peek(tvb, pos, limit)
  if identifier == 0x02 then
    local value, range, after = integer(tvb, pos, limit, "value")
    tree:add(f.value_type, range, 0)
    tree:add(f.value, range, value)
    local text = tostring(value)
    local word = word_of(entry, value:tonumber())
    if word ~= nil then
      tree:add(f.word, range, word)
      text = text .. " (" .. word .. ")"
    end
    return 0, text, after
  elseif identifier == 0x04 then
    local el = element(tvb, pos, limit, 0x04, "value")
    local range = tvb(pos, el.total)
    tree:add(f.value_type, range, 1)
    local text
    if entry ~= nil and (entry.keyword == "system-macaddress" or
                         entry.keyword == "status-macaddress-port") and el.length == 6 then
      text = mac_text(tvb(el.content, 6))
    else
      text = '"' .. octet_text(tvb, el) .. '"'
    end
    tree:add(f.text, range, text)
    if el.length > 0 then tree:add(f.octets, tvb(el.content, el.length)) end
    return 1, text, el.next
  elseif identifier == 0x05 then
    local el = element(tvb, pos, limit, 0x05, "value")
    if el.length ~= 0 then fail("NULL value with contents") end
    tree:add(f.value_type, tvb(pos, el.total), 2)
    return 2, nil, el.next
  end
  fail(identifier == nil and "no value" or string.format("value: identifier 0x%02X", identifier))
end

local function indexes_text(indexes)
  local text = ""
  for _, index in ipairs(indexes) do text = text .. " " .. index end
  return text
end

local function dissect_function_request(tvb, pinfo, tree, pos, limit, tid, target)
  local _, op
  _, pos = add_integer(tree, f.leading, tvb, pos, limit, "leading value")
  op, pos = add_integer(tree, f.op, tvb, pos, limit, "operation")
  local id_el = element(tvb, pos, limit, 0x04, "function ID")
  if id_el.length ~= 2 then fail("function ID of " .. id_el.length .. " octets") end
  local id = tvb(id_el.content, 2):uint()
  local id_item = tree:add(f.id, tvb(id_el.content, 2))
  pos = id_el.next
  local entry = functions[id]
  local keyword = string.format("unknown(%04x)", id)
  if entry == nil then
    id_item:add_proto_expert_info(e.unknown_function)
  else
    keyword = entry.keyword:gsub(" +$", "")
    tree:add(f.keyword, tvb(id_el.content, 2), keyword)
  end
  local value_text = nil
  local value_type
  value_type, value_text, pos = add_value(tree, tvb, pos, limit, entry)
  local expected = entry ~= nil and entry.value_type or value_type
  if op == 1 or op == 2 then expected = 2 end
  if value_type ~= expected then tree:add_proto_expert_info(e.type_mismatch) end
  local seq = element(tvb, pos, limit, 0x30, "index")
  local index_tree = tree:add(ntr, tvb(pos, seq.total), "Index")
  if entry ~= nil then index_tree:add(f.index_type, tvb(pos, seq.total), entry.index_type) end
  local indexes = {}
  local p = seq.content
  while p < seq.next do
    local identifier = peek(tvb, p, seq.next)
    if identifier == 0x04 then
      local mac
      mac, p = add_mac(index_tree, f.index_mac, tvb, p, seq.next, "index")
      indexes[#indexes + 1] = mac
    else
      local number
      number, p = add_integer(index_tree, #indexes == 0 and f.index or f.index2, tvb, p, seq.next,
                              "index")
      indexes[#indexes + 1] = number
    end
  end
  local text = (operations[op] or ("operation " .. op)) .. " " .. keyword .. indexes_text(indexes)
  if value_text ~= nil then text = text .. " value=" .. value_text end
  if not pinfo.visited then
    pending[tid .. "/" .. target] = { frame = pinfo.number, entry = entry, text = text }
  end
  return text, seq.next
end

local function dissect_function_response(tvb, pinfo, tree, pos, limit, tid, source)
  local result, _
  result, pos = add_result(tree, tvb, pos, limit)
  _, pos = add_integer(tree, f.second, tvb, pos, limit, "second value")
  if not pinfo.visited then answered[pinfo.number] = pending[tid .. "/" .. source] end
  local request = answered[pinfo.number]
  local entry = request and request.entry or nil
  local value_type, value_text
  value_type, value_text, pos = add_value(tree, tvb, pos, limit, entry)
  local text = "result " .. (results[result] or result)
  if request == nil then
    tree:add_proto_expert_info(e.no_request)
  else
    tree:add(f.request_in, request.frame):set_generated()
    if entry ~= nil then
      tree:add(f.keyword, (entry.keyword:gsub(" +$", ""))):set_generated()
    end
    text = request.text .. ": " .. text
  end
  if value_text ~= nil then text = text .. " value=" .. value_text end
  return text, pos
end

local function dissect_discovery_request(tvb, tree, pos, limit)
  local _, requester
  _, pos = add_integer(tree, f.query, tvb, pos, limit, "query value")
  requester, pos = add_mac(tree, f.requester, tvb, pos, limit, "requester MAC")
  local list_tree = tree:add(ntr, tvb(pos, 0), "Listed switches")
  local count, range
  count, range, pos = mac_list(list_tree, tvb, pos, limit, 8, "listed MACs", function(_, el)
    list_tree:add(f.listed, tvb(el.content, math.min(el.length, 6)))
  end)
  list_tree:set_len(range:len())
  list_tree:add(f.listed_count, range, count):set_generated()
  return "from " .. requester .. ", " .. count .. " listed", pos
end

local function dissect_discovery_reply(tvb, tree, pos, limit)
  local _, switch_mac, text1, text2
  _, pos = add_result(tree, tvb, pos, limit)
  switch_mac, pos = add_mac(tree, f.switch_mac, tvb, pos, limit, "switch MAC")
  _, pos = add_integer(tree, f.fingerprint, tvb, pos, limit, "fingerprint")
  text1, pos = add_text(tree, f.text1, tvb, pos, limit, "first text")
  text2, pos = add_text(tree, f.text2, tvb, pos, limit, "second text")
  local list_tree = tree:add(ntr, tvb(pos, 0), "Neighbours")
  local seen = 0
  local count, range
  count, range, pos = mac_list(list_tree, tvb, pos, limit, 24, "neighbour MACs", function(port, el)
    local mac = tvb(el.content, math.min(el.length, 6))
    local port_tree = list_tree:add(f.neighbour_port, tvb(el.pos, el.total), port)
    port_tree:add(f.neighbour, mac)
    if el.length == 6 and mac:bytes():tohex() ~= "000000000000" then
      port_tree:append_text(": " .. mac_text(mac))
      seen = seen + 1
    else
      port_tree:append_text(": none")
    end
  end)
  list_tree:set_len(range:len())
  list_tree:append_text(" (" .. seen .. " of " .. count .. " ports)")
  list_tree:add(f.neighbour_count, range, count):set_generated()
  return switch_mac .. " " .. text1 .. " " .. text2 .. ", " .. count .. " ports", pos
end

local function dissect_firmware_block(tvb, tree, pos, limit)
  local block
  block, pos = add_integer(tree, f.block, tvb, pos, limit, "block number")
  local el = element(tvb, pos, limit, 0x04, "block data")
  tree:add(f.block_length, tvb(pos, el.content - pos), el.length)
  if el.length > 0 then tree:add(f.block_data, tvb(el.content, el.length)) end
  return "block " .. block .. ", " .. el.length .. " bytes", el.next
end

-- The bodies that hold only integers: the fields of each application.
local integer_bodies = {
  [3] = { "result" }, [5] = { "result" }, [7] = { "result" }, [13] = { "result" },
  [11] = { "result", f.fingerprint },
  [20] = { f.port, f.notice_value }, [25] = { f.port, f.notice_value },
  [21] = { f.port }, [23] = { f.port }, [26] = { f.notice_value },
  [2] = {}, [6] = {}, [10] = {}, [12] = {}, [14] = {}, [22] = {},
}

local function dissect_integers(tvb, tree, pos, limit, fields)
  local parts = {}
  for _, field in ipairs(fields) do
    local number
    if field == "result" then
      number, pos = add_result(tree, tvb, pos, limit)
      parts[#parts + 1] = "result " .. (results[number] or number)
    else
      number, pos = add_integer(tree, field, tvb, pos, limit, "integer")
      parts[#parts + 1] = tostring(number)
    end
  end
  return table.concat(parts, ", "), pos
end

local function dissect_message(tvb, pinfo, root)
  local limit = tvb:len()
  local outer = element(tvb, 0, limit, 0x30, "message")
  local tree = root:add(ntr, tvb(0, outer.next))
  local pos, tid, _, source, target = outer.content
  _, pos = add_integer(tree, f.header, tvb, pos, limit, "header value")
  tid, pos = add_integer(tree, f.tid, tvb, pos, limit, "transaction ID")
  source, pos = add_mac(tree, f.src, tvb, pos, limit, "source MAC")
  target, pos = add_mac(tree, f.dst, tvb, pos, limit, "destination MAC")
  local identifier = peek(tvb, pos, limit)
  if identifier == nil then fail("no body") end
  local app = identifier - 0x60
  if app < 0 or applications[app] == nil then
    fail(string.format("body identifier 0x%02X", identifier))
  end
  local body = element(tvb, pos, limit, identifier, "body")
  tree:add(f.app, tvb(pos, 1), app)
  local body_tree = tree:add(ntr, tvb(pos, body.total), applications[app])
  local text
  pos = body.content
  if app == 0 then
    text, pos = dissect_discovery_request(tvb, body_tree, pos, limit)
  elseif app == 1 then
    text, pos = dissect_discovery_reply(tvb, body_tree, pos, limit)
  elseif app == 4 then
    text, pos = dissect_firmware_block(tvb, body_tree, pos, limit)
  elseif app == 8 then
    text, pos = dissect_function_request(tvb, pinfo, body_tree, pos, limit, tid, target)
  elseif app == 9 then
    text, pos = dissect_function_response(tvb, pinfo, body_tree, pos, limit, tid, source)
  else
    text, pos = dissect_integers(tvb, body_tree, pos, limit, integer_bodies[app])
  end
  if pos ~= body.next then fail("body length disagrees with its contents") end
  if outer.next < limit then tree:add(f.padding, tvb(outer.next)) end
  local info = applications[app] .. " tid=" .. tid
  if text ~= nil and text ~= "" then info = info .. " " .. text end
  return info
end

function ntr.dissector(tvb, pinfo, root)
  pinfo.cols.protocol = "NTR"
  local ok, info = pcall(dissect_message, tvb, pinfo, root)
  if ok then
    pinfo.cols.info = info
    return tvb:len()
  end
  if type(info) == "table" and info.malformed == Malformed then
    root:add_proto_expert_info(e.malformed, "Malformed message: " .. info.reason)
    pinfo.cols.info = "malformed: " .. info.reason
    return tvb:len()
  end
  error(info, 0)
end

DissectorTable.get("ethertype"):add(0xE812, ntr)
