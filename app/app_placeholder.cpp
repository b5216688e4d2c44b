// The application layer (registry, configuration file, discovery, settings
// threads) builds on the catalogue; its sources join this library as they
// are written.
namespace ntr {
int AppLayerVersion() { return 1; }
}  // namespace ntr
