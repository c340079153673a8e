# The product's facts that the build needs as well as the programs, each
# written here once. The build reads them with include() and writes them into
# generated/productfacts.h, which the code and the resource scripts include,
# and into the application manifest.
set(PRODUCT_NAME "Brindlecast")
set(PRODUCT_MAKER "Tarnwicke")
# Major and minor number: the manifest adds ".0.0" to it.
set(PRODUCT_VERSION "1.26")
# The shipped License.txt's byte sum and the largest licence the setup reads.
# The setup refuses any other licence at start-up; the build refuses to stage one.
set(AGREEMENT_SUM 266842)
set(AGREEMENT_MAX 4096)
