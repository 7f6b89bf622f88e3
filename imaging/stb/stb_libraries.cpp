// SPDX-FileCopyrightText: 2026 The Pixelzaun authors
// SPDX-License-Identifier: MIT
// The one translation unit that holds the decoder's and the encoder's code.
#include "jpeg_kernels.h"
#include "output_store.h"

#define STB_IMAGE_IMPLEMENTATION
#include "stb_decoder_config.h"
#include <stb/stb_image.h>

bool jpeg_plane_ring = false;

// An encode into the output store stops at the first row of blocks at which
// it can no longer fit; every other encode runs to its end.
#define STBIW_JPG_STOP(context, least_bytes_to_come) store_refuses(context, least_bytes_to_come)
// The encoder's arithmetic on vector registers, to the same bytes. The three
// pass blocks in a layout of their own (jpeg_kernels.h), so they go together.
#define STBIW_JPG_BLOCK_TO_YCC jpeg_block_to_ycc
#define STBIW_JPG_SUBSAMPLE jpeg_subsample_chroma
#define STBIW_JPG_PROCESS_DU jpeg_process_block
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>
