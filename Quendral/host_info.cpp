// The host report: the resolver's entry for one host and each address's round trip.
#include <stdint.h>
#include <string.h>

#include "quendral.h"

namespace {

// Names come from the user, hosts files and the network. Control bytes are written as \xNN so
// an answer can never move the cursor or forge a line; the report's own \r and \n are written
// by the format strings, never from a name. Pads with blanks to width columns, counting the
// escaped text, like "%-*s" would; longer names are not cut.
void PrintName(FILE* out, const char* name, int width) {
  if (name == nullptr) name = "(null)";
  int columns = 0;
  const char* run = name;
  for (const char* p = name;; ++p) {
    const unsigned char byte = static_cast<unsigned char>(*p);
    const bool control = byte == 0x7f || (byte >= 0x01 && byte <= 0x1f);
    if (byte != 0 && !control) continue;
    if (p > run) fprintf(out, "%.*s", static_cast<int>(p - run), run);
    columns += static_cast<int>(p - run);
    if (byte == 0) break;
    fprintf(out, "\\x%02x", byte);
    columns += 4;
    run = p + 1;
  }
  if (columns < width) fprintf(out, "%*s", width - columns, "");
}

// inet_ntoa's text lasts only until the next sockets call, so it is printed at once, in 16
// columns and a blank, after prefix.
void PrintDotted(const SocketsApi& api, FILE* out, const char* prefix, const char* addressBytes) {
  struct in_addr address;
  memcpy(&address, addressBytes, sizeof address);
  const char* dotted = api.inet_ntoa(address);
  fprintf(out, "%s%-16s ", prefix, dotted != nullptr ? dotted : "");
}

// Copies at most size-1 bytes and always terminates: a reverse name may be longer than the
// buffer.
void CopyName(char* buffer, size_t size, const char* name) {
  size_t length = 0;
  if (name != nullptr) {
    while (length + 1 < size && name[length] != '\0') ++length;
    memcpy(buffer, name, length);
  }
  buffer[length] = '\0';
}

// Walks the list from its start rather than trusting an index from an earlier list: a fresh
// list may be shorter than the position the walk has reached.
bool HasEntryAt(char** list, int index) {
  if (list == nullptr) return false;
  for (int i = 0; i <= index; ++i) {
    if (list[i] == nullptr) return false;
  }
  return true;
}

void PrintLookupFailure(FILE* out, const char* message, const char* hostName) {
  fprintf(out, "%s", message);
  PrintName(out, hostName, 0);
  fprintf(out, "\n");
}

}  // namespace

bool LookupHostInfo(const SocketsApi& api, FILE* out, const char* hostName) {
  char localHostName[256];
  char interfaceName[256];
  int unresolvedAddresses = 0;
  int unresolvedNames = 0;
  int mismatchedNames = 0;

  // The name may come back unterminated when truncated, and undefined when the call fails.
  localHostName[0] = '\0';
  if (api.gethostname(localHostName, static_cast<int>(sizeof localHostName)) != 0) {
    localHostName[0] = '\0';
  }
  localHostName[sizeof localHostName - 1] = '\0';

  if (hostName != nullptr) {
    PrintName(out, localHostName, 0);
    fprintf(out, " looking up host info for ");
    PrintName(out, hostName, 0);
    fprintf(out, "\n");
  } else {
    fprintf(out, "Looking up Local Host info for ");
    PrintName(out, localHostName, 0);
    fprintf(out, "\n");
  }

  HOSTENT* host = api.gethostbyname(hostName);
  if (host == nullptr) {
    PrintLookupFailure(out, "Failed to Lookup host entry for ", hostName);
    return false;
  }

  fprintf(out, "Host Name:      ");
  PrintName(out, host->h_name, 0);
  fprintf(out, "\n");
  fprintf(out, "Address Type:   %d\n", static_cast<int>(host->h_addrtype));
  fprintf(out, "Address Length: %d\n", static_cast<int>(host->h_length));
  fprintf(out, "Aliases:            \n");
  for (char** alias = host->h_aliases; alias != nullptr && *alias != nullptr; ++alias) {
    PrintName(out, *alias, 0);
    fprintf(out, "\n                    ");
  }
  fprintf(out, "\r");

  // Every later lookup replaces this entry, so the reverse lookups get these saved values.
  const int savedLength = host->h_length;
  const int savedType = host->h_addrtype;

  fprintf(out, "Addresses:      ");
  for (int index = 0; HasEntryAt(host->h_addr_list, index); ++index) {
    const char* addressBytes = host->h_addr_list[index];
    PrintDotted(api, out, "", addressBytes);
    uint32_t underTest;
    memcpy(&underTest, addressBytes, sizeof underTest);

    HOSTENT* reverse = api.gethostbyaddr(addressBytes, savedLength, savedType);
    if (reverse == nullptr) {
      fprintf(out, "<Unknown>");
      ++unresolvedAddresses;
    } else {
      // The forward lookup below replaces the entry that holds this name.
      CopyName(interfaceName, sizeof interfaceName, reverse->h_name);
      PrintName(out, interfaceName, 40);
      fprintf(out, " ");
      HOSTENT* forward = api.gethostbyname(interfaceName);
      if (forward == nullptr || !HasEntryAt(forward->h_addr_list, 0)) {
        // An entry without addresses has nothing to compare: the name did not lead back.
        fprintf(out, "???");
        ++unresolvedNames;
      } else {
        uint32_t first;
        memcpy(&first, forward->h_addr_list[0], sizeof first);
        if (first == underTest) {
          fprintf(out, "+");
        } else {
          PrintDotted(api, out, "- ", forward->h_addr_list[0]);
          ++mismatchedNames;
        }
      }
    }
    fprintf(out, "\n                ");

    // The lookups above replaced the host's entry: look it up again and go on by index in
    // whatever list comes back.
    host = api.gethostbyname(hostName);
    if (host == nullptr) {
      PrintLookupFailure(out, "Failed to Re-Lookup host entry for ", hostName);
      return false;
    }
  }
  fprintf(out, "\r");

  if (unresolvedAddresses > 0) {
    fprintf(out, "WARNING: %d Addresses could not be resolved back to names\n",
            unresolvedAddresses);
  }
  if (unresolvedNames > 0) {
    fprintf(out, "WARNING: %d Interface Names could not be resolved back to addresses\n",
            unresolvedNames);
  }
  if (mismatchedNames > 0) {
    fprintf(out, "WARNING: %d Interface Names did not resolve back to the correct address\n",
            mismatchedNames);
  }
  return true;
}
