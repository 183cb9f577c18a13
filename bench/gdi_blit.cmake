# Raster operations of the gdi layer against memcpy and memset, on a full HD
# 32-bit surface and on 64x64 tiles. Prints the ratios.
zel_bench(gdi_blit_bench SOURCES gdi_blit.cpp LINK zel_gdi)
